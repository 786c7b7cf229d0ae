// Run-time errors with the classic numbers and English descriptions.
//
// Every procedure of the saver reports failures as a numbered run-time error
// (6 overflow, 9 subscript out of range, 11 division by zero, ...). They travel
// as a C++ exception of type VbError until the error trap of the failing
// procedure (errors/trap.h) catches them and hands them to the reporter.
#pragma once

#include <exception>
#include <string>

namespace gm {

namespace err {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int PathFileAccess = 75;
inline constexpr int ResourceNotFound = 326;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int InvalidPicture = 481;
}  // namespace err

// The classic English text of an error number; `detail` fills the
// placeholder of texts that have one (326 takes the resource id).
std::string errorDescription(int number, const std::string& detail = {});

class VbError : public std::exception {
  public:
    VbError(int number, std::string description);
    int number() const { return number_; }
    const std::string& description() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

  private:
    int number_;
    std::string description_;
};

// Raises run-time error `number` with its classic description.
[[noreturn]] void raise(int number, const std::string& detail = {});

}  // namespace gm
