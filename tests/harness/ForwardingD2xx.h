#pragma once

#include "D2xx.h"

// A device library that passes every call on to another one; a test
// overrides the calls it wants to change.
class ForwardingD2xx : public D2xx {
  public:
    explicit ForwardingD2xx(D2xx& inner) : d(inner) {}
#define FORWARDED_CALL(name, parameters, arguments)                                                                    \
    FT_STATUS name parameters override {                                                                               \
        return d.name arguments;                                                                                       \
    }
    D2XX_OPERATIONS(FORWARDED_CALL)
#undef FORWARDED_CALL

  protected:
    D2xx& d;
};
