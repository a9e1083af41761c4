#pragma once

#include <exception>
#include <string>

namespace corvane::service {

// What an exception that escaped a piece of work comes to for the user, in one line:
// "stopped by an unexpected error: ..." with what it says, or "... of unknown kind".
std::string UnexpectedError(const std::exception_ptr& escaped);

}  // namespace corvane::service
