#pragma once

// The size of the screen the windows centre themselves on.
class Screen {
  public:
    virtual ~Screen() = default;
    virtual int width() = 0;
    virtual int height() = 0;
};

class FixedScreen final : public Screen {
  public:
    FixedScreen(int w, int h) : w_(w), h_(h) {}
    int width() override { return w_; }
    int height() override { return h_; }

  private:
    int w_;
    int h_;
};

struct WindowModel;
// left = (screen width - window width) / 2, top likewise.
void centreWindow(WindowModel& window, Screen& screen);
