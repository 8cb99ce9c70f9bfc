#pragma once

// The system clipboard, as far as the report capture needs it.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual void EmptyClipboard() = 0;
};

// For a program without windows: there is no report to capture.
class NoClipboard final : public Clipboard {
  public:
    void EmptyClipboard() override {}
};
