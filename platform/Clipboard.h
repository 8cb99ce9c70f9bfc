#pragma once

// The system clipboard, as far as the report capture needs it.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void EmptyClipboard() = 0;
};
