#pragma once

#include <array>
#include <cstring>
#include <functional>
#include <typeindex>

// A callback made of a receiver object and a method (or a plain function).
// It counts as assigned when it has code, and two callbacks compare by their
// code only: the same method on different receivers is the same callback.
template <typename Signature> class HidCallback;

template <typename Result, typename... Args> class HidCallback<Result(Args...)>
{
public:
    HidCallback() = default;

    template <typename Receiver>
    HidCallback(Receiver *receiver, Result (Receiver::*method)(Args...))
        : call([receiver, method](Args... args) { return (receiver->*method)(args...); }), codeType(typeid(method))
    {
        static_assert(sizeof(method) <= sizeof(Code), "member pointer larger than expected");
        std::memcpy(code.data(), &method, sizeof(method));
    }

    HidCallback(Result (*function)(Args...)) : call(function), codeType(typeid(function))
    {
        std::memcpy(code.data(), &function, sizeof(function));
    }

    bool assigned() const { return bool(call); }
    explicit operator bool() const { return assigned(); }

    // Same code, whatever the receiver.
    bool sameCode(const HidCallback &other) const
    {
        return assigned() == other.assigned() && codeType == other.codeType && code == other.code;
    }

    Result operator()(Args... args) const { return call(args...); }

private:
    using Code = std::array<char, 2 * sizeof(void *)>;

    std::function<Result(Args...)> call;
    std::type_index codeType = typeid(void);
    Code code{};
};
