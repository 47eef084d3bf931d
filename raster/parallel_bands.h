#pragma once
// Splitting independent work between the machine's cores.
#include <cstddef>
#include <functional>

// Below this many items the work stays on the calling thread.
constexpr size_t MinItemsPerBand = size_t{1} << 15;

// Runs Body(Begin, End) over consecutive bands covering 0..Count-1: one band per core (at
// most two), the last on the calling thread; returns when all are done. The bands must not
// depend on one another. An exception from any band is rethrown here after all have ended.
void ForEachBand(size_t Count, const std::function<void(size_t Begin, size_t End)>& Body,
                 size_t MinItems = MinItemsPerBand);
// How many bands ForEachBand uses for Count items.
int BandCount(size_t Count, size_t MinItems = MinItemsPerBand);
