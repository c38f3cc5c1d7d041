#pragma once

// The composition root's one list of every window kind: registered with the
// window registry at start-up, so that no folder of windows, nor the main
// window, needs to know another's classes.
namespace WindowKinds {
void registerAll();
}
