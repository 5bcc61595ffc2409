// One installable implementation of an interface whose own methods do nothing: the layers above
// core install theirs at start-up, and taking it out puts the do-nothing one back.
#pragma once

namespace core {

template <class Interface>
class InstalledInterface {
public:
    Interface &Get() { return *current_; }
    void Set(Interface *installed) { current_ = installed ? installed : &fallback_; }

private:
    Interface fallback_;
    Interface *current_ = &fallback_;
};

}  // namespace core
