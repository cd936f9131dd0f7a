#pragma once

// A platform function that tests can stand in for: calls go to the stand-in while one is
// installed, and to the real function again once it is taken out.

#include <utility>

namespace platform {

// Function is the std::function type the platform calls through.
template <typename Function>
class Replaceable {
public:
    explicit Replaceable(Function real)
        : m_real(std::move(real))
        , m_current(m_real)
    {
    }

    // Installs a stand-in (an empty one brings the real function back) and returns the function
    // it replaces.
    Function replace(Function replacement)
    {
        Function previous = std::move(m_current);
        m_current = replacement ? std::move(replacement) : m_real;
        return previous;
    }

    template <typename... Args>
    decltype(auto) operator()(Args&&... args) const
    {
        return m_current(std::forward<Args>(args)...);
    }

private:
    Function m_real;
    Function m_current;
};

} // namespace platform
