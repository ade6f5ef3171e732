#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

namespace Korvale {

// The observer list that both subjects share: pointers in attach order, each
// at most once, never owned.
template <class Observer>
class CSubject {
public:
    // A null observer and one already attached are ignored.
    void Attach(Observer* observer)
    {
        if (observer == nullptr || std::find(observers.begin(), observers.end(), observer) != observers.end())
            return;
        observers.push_back(observer);
    }

    // Removes the observer's occurrence and keeps the order of the rest.
    void Detach(Observer* observer)
    {
        const auto it = std::find(observers.begin(), observers.end(), observer);
        if (it != observers.end())
            observers.erase(it);
    }

    std::size_t Count() const { return observers.size(); }

    // Calls f on every observer, first attached first. The count is taken
    // once before the first call; an observer that detaches during the walk
    // shortens it rather than reading past the end.
    template <class F>
    void ForEach(F&& f) const
    {
        const std::size_t count = observers.size();
        for (std::size_t i = 0; i < count && i < observers.size(); ++i)
            f(*observers[i]);
    }

private:
    std::vector<Observer*> observers;
};

} // namespace Korvale
