#pragma once
// Tapes filled the way live readings fill them, and their codes read back.
#include <cstdint>
#include <vector>

#include "graph/ZorTape.h"

using Rows = std::vector<std::vector<int>>;

// Record r gets rows[r][k] in channel firstChannel + k.
inline void FillTape(TZorTape& tape, const Rows& rows, std::uint32_t firstChannel = 0)
{
    for (const auto& row : rows)
        for (std::size_t k = 0; k < row.size(); ++k)
            tape.DataPointCh(firstChannel + std::uint32_t(k), row[k]);
}

// The codes of channels 0 to NumChannels - 1 for every record; slots that no
// value reached read as 0.
inline Rows TapeRows(const TZorTape& tape)
{
    Rows rows(tape.NumRecords());
    for (std::uint32_t r = 0; r < tape.NumRecords(); ++r)
        for (int c = 0; c < tape.GetNumChannels(); ++c) {
            const OffsetArray<int>& data = tape.Channels[c].Data;
            rows[r].push_back(data.IsAllocated(int(r)) ? data[int(r)] : 0);
        }
    return rows;
}
