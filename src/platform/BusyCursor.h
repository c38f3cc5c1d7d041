#pragma once

#include <functional>

// The busy mouse pointer for as long as an object lives. Nests: the pointer
// changes when the outermost one comes and goes. Does nothing where no GUI
// application runs (the data layer is used without one in tests).
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    static int depth();  // how many are alive
    // Observes changes of the busy state (tests).
    static void setHook(std::function<void(bool busy)> hook);
};
