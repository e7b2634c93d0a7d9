#pragma once
#include "probe/ProbeSession.h"
#include <optional>
#include <vector>

// Clearing (command J) and listing (command G) of the probe's memory.
namespace probemem {

// ---- clearing (command J) ----

// Complete when the probe reported the end of the erase; AbnormalEnd when its
// closing byte did not come; NotSupported, NoAnswer. events.started runs when
// the probe took the command, events.percent gets 0..100 while it erases.
ProbeStatus clearMemory(ProbeProtocol& protocol, const SessionEvents& events = {});

// ---- listing (command G) ----

// Figures of a listing's end frame: size = bytes 3-4 - 64, free = (size -
// bytes 5-6 + 64) / size * 100. nullopt for a size below 1 (no divisor).
struct MemoryFigures
{
    int memorySize = 0;
    double freePercent = 0.0;
};

struct ListingResult
{
    // Complete, AbnormalEnd or ChecksumError once the probe took the command
    // (NotSupported instead of AbnormalEnd when nothing was listed); NoAnswer.
    ProbeStatus status = ProbeStatus::NoAnswer;
    std::vector<DirectoryEntry> entries;
    std::optional<MemoryFigures> memory;   // Complete with a usable end frame: the new MemorySize
};

// A directory frame (checksum already tested) as an entry; nullopt when invalid.
std::optional<DirectoryEntry> directoryEntry(const Frame& f);
bool isEndFrame(const Frame& f);
std::optional<MemoryFigures> memoryFigures(const Frame& endFrame);

// events.started when the probe took the command, events.entry for every entry.
ListingResult listRecordings(ProbeProtocol& protocol, const SessionEvents& events = {});

}  // namespace probemem
