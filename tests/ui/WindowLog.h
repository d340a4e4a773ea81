#pragma once

#include <QStringList>

namespace packshelf::test {

// The lines the window logged under its category since the test program
// started. Those lines are all written on the main thread.
struct WindowLog {
    static void install();
    static QStringList lines();
};

} // namespace packshelf::test
