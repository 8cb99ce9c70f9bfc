#pragma once

#include "Screen.h"

// The primary screen's available area (without panels and docks).
class QtScreen final : public Screen {
  public:
    int width() override;
    int height() override;
};
