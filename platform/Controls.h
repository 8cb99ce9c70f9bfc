#pragma once

#include "Colour.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Neutral models of the window controls. A form holds these and its logic
// reads and writes them; a view binds each to a widget and repaints from it.

struct Font {
    int pointSize = 8;
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};

enum class Alignment { Left, Centre };

struct TextBox {
    std::string text;
    Colour BackColor = Colours::White;
    Colour ForeColor = Colours::Black;
    Font font;
    Alignment alignment = Alignment::Left;
    bool visible = true;
    bool caretHidden = false;

    // One word or phrase in a fixed colour pair, the way status boxes are set.
    void show(const std::string& newText, Colour back, Colour fore) {
        text = newText;
        BackColor = back;
        ForeColor = fore;
    }
    void setColours(Colour back, Colour fore) {
        BackColor = back;
        ForeColor = fore;
    }
};

// A drop-down list with an editable text field.
struct ComboBox {
    std::vector<std::string> items;
    std::string text;
    Colour BackColor = Colours::White;
    Colour ForeColor = Colours::Black;
    Font font;

    void Clear() {
        items.clear();
        text.clear();
    }
    void AddItem(const std::string& item) { items.push_back(item); }
};

// A plain list of lines: only appended to, or cleared as a whole.
struct ListBox {
    std::vector<std::string> lines;
    Colour BackColor = Colours::White;
    Colour ForeColor = Colours::Black;
    Font font;
    // Counts the clears, so a view can tell a cleared-and-refilled list from
    // one that only grew.
    std::uint64_t clears = 0;

    // Told every line as it is added (the headless mode prints them).
    std::function<void(const std::string&)> added;

    void AddItem(const std::string& line) {
        lines.push_back(line);
        if (added) {
            added(line);
        }
    }
    void Clear() {
        lines.clear();
        ++clears;
    }
};

struct Label {
    std::string caption;
    Font font;
    Alignment alignment = Alignment::Left;
    bool visible = true;
    std::string toolTip;             // shown on hover; none when empty
    std::optional<Colour> ForeColor; // the window's text colour when none
    std::optional<Colour> BackColor; // the window's background when none
};

struct Button {
    std::string caption;
    Font font;
};

// The round ACQUIRE lamp.
struct Lamp {
    Colour FillColor = Colours::Red;
};

// The window itself: whether it is loaded and shown, where, and how big.
struct WindowModel {
    std::string caption;
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    bool loaded = false;
    bool visible = false;
};
