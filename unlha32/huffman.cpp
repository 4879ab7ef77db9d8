// Huffman code construction: a two-queue merge over the symbols sorted by frequency, then, when a
// leaf lies deeper than the limit, the Kraft overflow is paid back by moving leaves down a level.
#include "unlha32/huffman.h"

#include <algorithm>
#include <numeric>

namespace unlha {

std::vector<std::uint8_t> huffmanLengths(std::span<const std::uint32_t> freq, int maxLen)
{
    std::vector<std::uint8_t> lengths(freq.size(), 0);
    std::vector<int> used;
    for (int s = 0; s < static_cast<int>(freq.size()); ++s)
        if (freq[s] > 0)
            used.push_back(s);
    if (used.size() <= 1) {
        for (int s : used)
            lengths[s] = 1;
        return lengths;
    }
    // Least frequent first; ties in symbol order keep the result deterministic.
    std::stable_sort(used.begin(), used.end(), [&](int a, int b) { return freq[a] < freq[b]; });

    const int m = static_cast<int>(used.size());
    std::vector<std::uint64_t> weight(2 * m - 1);
    std::vector<int> parent(2 * m - 1, 0);
    for (int i = 0; i < m; ++i)
        weight[i] = freq[used[i]];
    int leaf = 0;
    int inner = m;
    auto takeSmallest = [&](int next) {
        if (leaf < m && (inner >= next || weight[leaf] <= weight[inner]))
            return leaf++;
        return inner++;
    };
    for (int k = m; k < 2 * m - 1; ++k) {
        const int a = takeSmallest(k);
        const int b = takeSmallest(k);
        weight[k] = weight[a] + weight[b];
        parent[a] = parent[b] = k;
    }
    std::vector<int> depth(2 * m - 1, 0);
    for (int k = 2 * m - 3; k >= 0; --k)
        depth[k] = depth[parent[k]] + 1;

    // Leaves per depth, the too-deep ones counted at maxLen.
    std::vector<int> count(maxLen + 1, 0);
    for (int i = 0; i < m; ++i)
        ++count[std::min(depth[i], maxLen)];
    std::uint64_t kraft = 0;
    for (int len = 1; len <= maxLen; ++len)
        kraft += static_cast<std::uint64_t>(count[len]) << (maxLen - len);
    // Each round takes one leaf off the deepest level and splits a shallower leaf in two.
    for (; kraft > (std::uint64_t{1} << maxLen); --kraft) {
        --count[maxLen];
        int len = maxLen - 1;
        while (count[len] == 0)
            --len;
        --count[len];
        count[len + 1] += 2;
    }
    // Longest codes to the least frequent symbols.
    int i = 0;
    for (int len = maxLen; len >= 1; --len)
        for (int c = 0; c < count[len]; ++c)
            lengths[used[i++]] = static_cast<std::uint8_t>(len);
    return lengths;
}

std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths)
{
    const int maxLen = lengths.empty() ? 0 : *std::max_element(lengths.begin(), lengths.end());
    std::vector<std::uint32_t> count(maxLen + 2, 0);
    for (auto len : lengths)
        ++count[len];
    count[0] = 0;
    std::vector<std::uint32_t> next(maxLen + 2, 0);
    for (int len = 1; len <= maxLen; ++len)
        next[len] = (next[len - 1] + count[len - 1]) << 1;
    std::vector<std::uint16_t> codes(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s] > 0)
            codes[s] = static_cast<std::uint16_t>(next[lengths[s]]++);
    return codes;
}

} // namespace unlha
