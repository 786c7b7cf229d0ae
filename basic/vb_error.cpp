#include "basic/vb_error.h"

namespace gm {

std::string errorDescription(int number, const std::string& detail) {
    switch (number) {
        case err::InvalidCall:
            return "Invalid procedure call or argument";
        case err::Overflow:
            return "Overflow";
        case err::SubscriptOutOfRange:
            return "Subscript out of range";
        case err::DivisionByZero:
            return "Division by zero";
        case err::TypeMismatch:
            return "Type mismatch";
        case err::FileNotFound:
            return "File not found";
        case err::PathFileAccess:
            return "Path/File access error";
        case err::ResourceNotFound:
            return "Resource with identifier '" + detail + "' not found";
        case err::InvalidPropertyValue:
            return "Invalid property value";
        case err::InvalidPicture:
            return "Invalid picture";
        default:
            return "Application-defined or object-defined error";
    }
}

VbError::VbError(int number, std::string description)
    : number_(number), description_(std::move(description)) {}

void raise(int number, const std::string& detail) {
    throw VbError(number, errorDescription(number, detail));
}

}  // namespace gm
