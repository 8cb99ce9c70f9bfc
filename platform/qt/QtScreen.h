#pragma once

#include "Screen.h"

// The primary screen's size.
class QtScreen final : public Screen {
public:
    int width() override;
    int height() override;
};
