#pragma once
// The render loop over the grid rows, shared by the window's render, velmor-filter and the
// benchmarks: the same yields and progress steps wherever the rows go.

#include "velmor/engine/render.h"

#include <cstdint>
#include <functional>

namespace engine {

struct RenderHooks {
    // A yield point. It is reached after every pixel in spirit: the render checks a cheap budget
    // per pixel and calls it every few thousand pixels, and again after every row; the callee
    // decides (by time) whether to handle events.
    std::function<void()> yield;
    // After every row: the progress bar's StepIt.
    std::function<void()> step;
    // Asked after every yield; true stops the render and deletes its incomplete output.
    std::function<bool()> cancelled;
};

// Thrown when the hooks asked the render to stop.
struct RenderCancelled {};

// Tints grid rows 1 to height (bottom first), width pixels each: source(y) gives the pixels of
// row y and target(y) the place for its output pixels, each asked once a row in order.
void renderRows(const RenderTable& table, int width, int height,
    const std::function<const std::uint8_t*(int)>& source, const std::function<std::uint8_t*(int)>& target,
    const RenderHooks& hooks = {});

} // namespace engine
