// Errors as values: every fallible operation returns a Result carrying either
// its value or an Error whose message includes the system's own reason.
#pragma once

#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace vorlix {

struct Error {
    Error() = default;
    Error(std::string text, int system_code = 0) : message(std::move(text)), code(system_code) {}
    std::string message;
    // The system's number for the reason (errno on POSIX), 0 when there is none.
    int code = 0;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error error) : v_(std::move(error)) {}
    // From the result of a more specific type (a derived adapter's pointer).
    template <class U>
    requires std::is_convertible_v<U, T> Result(Result<U> other)
        : v_(other ? std::variant<T, Error>(std::move(other).value())
                   : std::variant<T, Error>(other.error())) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    const Error& error() const { return std::get<1>(v_); }

private:
    std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const { return error_; }

private:
    Error error_;
    bool ok_ = true;
};

using Status = Result<void>;

}  // namespace vorlix
