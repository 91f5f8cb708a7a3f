// The program's in-place quicksort of a key array with a parallel item array.
// Hoare partition around the middle entry; both scans stop on keys equal to the
// pivot, so equal keys are exchanged: the resulting order of ties is part of
// the program's output (predicted ranks, bet order) and must not change.
// Never replace it with std::sort.
#pragma once
#include <cstdint>
#include <utility>

namespace kv {

namespace detail {
template <bool Desc, class Keys, class Items>
void quickSortImpl(Keys& keys, Items& items, std::int64_t lo, std::int64_t hi) {
    while (lo < hi) {
        auto pivot = keys[static_cast<std::size_t>((lo + hi) / 2)];
        std::int64_t i = lo, j = hi;
        for (;;) {
            if constexpr (Desc) {
                while (i < hi && keys[static_cast<std::size_t>(i)] > pivot) ++i;
                while (j > lo && keys[static_cast<std::size_t>(j)] < pivot) --j;
            } else {
                while (i < hi && keys[static_cast<std::size_t>(i)] < pivot) ++i;
                while (j > lo && keys[static_cast<std::size_t>(j)] > pivot) --j;
            }
            if (i >= j) break;
            using std::swap;
            swap(keys[static_cast<std::size_t>(i)], keys[static_cast<std::size_t>(j)]);
            swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
            ++i;
            --j;
        }
        // Two recursive calls, left then right; the
        // right one is turned into the loop to bound the stack depth. The scan
        // bounds only matter for unordered keys (NaN); ordered keys never reach them.
        if (lo < i - 1) quickSortImpl<Desc>(keys, items, lo, i - 1);
        if (j + 1 < hi) {
            lo = j + 1;
        } else {
            break;
        }
    }
}
}  // namespace detail

// Greatest key first over keys[lo..hi] (inclusive indices).
template <class Keys, class Items>
void QuickSortDesc(Keys& keys, Items& items, std::int64_t lo, std::int64_t hi) {
    if (hi <= lo) return;
    detail::quickSortImpl<true>(keys, items, lo, hi);
}
// Smallest key first.
template <class Keys, class Items>
void QuickSortAsc(Keys& keys, Items& items, std::int64_t lo, std::int64_t hi) {
    if (hi <= lo) return;
    detail::quickSortImpl<false>(keys, items, lo, hi);
}

}  // namespace kv
