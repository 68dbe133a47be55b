// Text files and text captures of the router's answers. A byte-order mark selects UTF-8,
// UTF-16 LE or UTF-16 BE; without one the bytes are Windows-1252. Lines end at CR LF, a
// lone CR or a lone LF.
#pragma once

#include "model/uDrayData.h"

#include <string>
#include <string_view>

namespace vexlorin {

// The text unchanged when it is well-formed UTF-8; otherwise with every broken sequence
// replaced by U+FFFD, so text from outside never carries invalid UTF-8 further in.
std::string SanitisedUtf8(std::string_view ABytes);

// The bytes of a text file as UTF-8 (byte-order mark removed, broken UTF-8 and unpaired
// UTF-16 surrogates become U+FFFD).
std::string DecodeTextBytes(std::string_view ABytes);

// The whole file as lines. EFOpenError when it cannot be opened or is larger than
// MaxInputFileSize (FileIO.h).
TStringList ReadTextFileLines(const std::string& AFilename);

// The bins part of the capture import on text already read: everything from the first
// "UPSTREAM :" on becomes BinStatsUSRaw, everything before it BinStatsDSRaw. A capture with
// "DOWNSTREAM :" but no "UPSTREAM :" becomes BinStatsDSRaw alone; one with neither is
// refused with EDrayDataError, naming the capture AName when given.
void ImportBinsCapture(TDrayData& AData, const TStringList& ALines, std::string_view AName = {});

} // namespace vexlorin
