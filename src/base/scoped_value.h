// Sets a value for the length of a scope and puts the previous one back,
// also when the program's end unwinds through a yield.
#pragma once

namespace vorlix {

template <class T>
class ScopedValue {
public:
    ScopedValue(T& slot, T value) : slot_(slot), saved_(slot) { slot_ = value; }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;
    ~ScopedValue() { slot_ = saved_; }

private:
    T& slot_;
    T saved_;
};

}  // namespace vorlix
