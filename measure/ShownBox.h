#pragma once

#include "Controls.h"

#include <string>

// A result box as a pass fills it: the text goes into the pass's value
// first, and the box shows that. Made from a bare box (no value to keep) where
// only the showing matters.
class ShownBox {
  public:
    ShownBox(TextBox& box) : box_(box) {} // NOLINT(google-explicit-constructor): a bare box is a shown box
    ShownBox(TextBox& box, std::string& kept) : box_(box), kept_(&kept) {}

    void text(const std::string& t) {
        if (kept_ != nullptr) {
            *kept_ = t;
        }
        box_.text = t;
    }
    void show(const std::string& t, Colour back, Colour fore) {
        text(t);
        box_.setColours(back, fore);
    }
    void setColours(Colour back, Colour fore) { box_.setColours(back, fore); }

  private:
    TextBox& box_;
    std::string* kept_ = nullptr;
};
