// Modal message boxes, behind an interface so that tests answer them with scripted buttons.
// Texts are bytes, one byte per character.
#pragma once

#include <string>

namespace vireo {

enum class MessageIcon { Exclamation, Question, Information, Critical };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;

    // Shows the box and returns the button pressed once it is dismissed.
    virtual MessageAnswer Show(MessageIcon icon, const std::string& title, const std::string& text,
                               MessageButtons buttons) = 0;
};

}  // namespace vireo
