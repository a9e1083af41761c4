#pragma once

#include <functional>
#include <string>

namespace corvane::protocol {

// The icon of a message box; the order matches the dialog layer's own icon list.
enum class MessageIcon { None, Exclamation, Information };

// Shows one message box with an OK button and waits until the user closes it. Dialogs pass a
// function that calls their host's message box, so the command sets need no user interface.
using MessageSink = std::function<void(const std::string& text, MessageIcon icon)>;

}  // namespace corvane::protocol
