#pragma once

#include "platform/BusyCursor.h"

// The busy pointer for as long as the object lives; nested ones restore in
// reverse order.
class clsHourglass {
public:
    clsHourglass() = default;
    ~clsHourglass() = default;
    clsHourglass(const clsHourglass&) = delete;
    clsHourglass& operator=(const clsHourglass&) = delete;

private:
    BusyCursor m_busy;
};
