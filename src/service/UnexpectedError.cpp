#include "service/UnexpectedError.h"

namespace corvane::service {

std::string UnexpectedError(const std::exception_ptr& escaped) {
    try {
        std::rethrow_exception(escaped);
    } catch (const std::exception& failure) {
        return std::string("stopped by an unexpected error: ") + failure.what();
    } catch (...) {
        return "stopped by an unexpected error of unknown kind";
    }
}

}  // namespace corvane::service
