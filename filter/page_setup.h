// The steps of a page's life that the page exports run.
#pragma once

#include <cstdint>

#include "filter/filter_instance.h"

namespace k7730 {

// True when `inst` is an instance with a page set up, so that bands have a
// line length to work with.
bool PageSetUp(const FilterInstance* inst);

// Sets up a page of `width` x `height` pixels: releases the earlier page's
// objects, stores the geometry and swap flag, builds the page's tables and
// then its MTF lines, ColorWorld and line filter. Returns the ErrorCode of
// BuildPageObjects.
std::uint16_t SetUpPage(FilterInstance& inst, std::uint32_t width, std::uint32_t height,
                        std::uint32_t swapFlag);

// Restarts the MTF filter and the line filter for the page set up.
void RestartPage(FilterInstance& inst);

}  // namespace k7730
