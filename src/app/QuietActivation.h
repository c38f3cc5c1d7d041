#pragma once

// An activation that only hands a window its menus back: the find window
// hiding, showing or closing, or one of its question boxes closing. While one
// runs, an activated window keeps its rows and its current row where they are,
// so a search or a replacement is never moved off the row it is working on.
class QuietActivation {
public:
    QuietActivation() { ++depth(); }
    ~QuietActivation() { --depth(); }
    QuietActivation(const QuietActivation&) = delete;
    QuietActivation& operator=(const QuietActivation&) = delete;

    static bool active() { return depth() > 0; }

private:
    static int& depth()
    {
        static int d = 0;
        return d;
    }
};
