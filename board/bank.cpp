// SPDX-License-Identifier: MIT
#include "board/bank.h"

#include <algorithm>
#include <limits>
#include <set>
#include <string_view>

#include "board/clip_header.h"
#include "board/names.h"
#include "board/notes.h"
#include "board/numbers.h"
#include "sound/ima_adpcm.h"
#include "sound/resample.h"

namespace clip2c::board {
namespace {

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// The enum constants the bank keeps for itself: <BANK>_COUNT, and the
// include guard <BANK>_BANK_H, which a clip's constant would be defined away by.
bool isReserved(std::string_view upperName) { return upperName == "COUNT" || upperName == "BANK_H"; }

// The name the clip of `file` has alone.
std::string wantedName(const BankFile& file) {
    return file.name ? *file.name : proposeName(clipName(file.fileName));
}

// "a, b and c".
std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i != 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

// The note that says why clip `index` is called names[index] and not its
// wanted name; empty when it is not renamed.
std::string renameNote(const BankRequest& request, const std::vector<std::string>& names, std::size_t index) {
    const std::string wanted = wantedName(request.files[index]);
    if (names[index] == wanted) return {};
    const std::string upper = upperAscii(wanted);
    const std::string constant = upperAscii(request.name) + "_" + upper;
    if (isReserved(upper)) {
        return wanted + " would make the enum's " + constant + ", which the bank itself uses: the clip is " +
               names[index];
    }
    const auto holder = std::find_if(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(index),
                                     [&upper](const std::string& name) { return upperAscii(name) == upper; });
    if (*holder == wanted) return "two clips are named " + wanted + ": the second is " + names[index];
    return *holder + " and " + wanted + " are one name in the enum (" + constant + "): the second is " +
           names[index];
}

// The samples a clip's array holds, decoded for IMA ADPCM.
std::uint64_t samplesOf(const MadeClip& made) { return made.sampleCount; }

// The bytes of a clip's array.
std::uint64_t arrayBytes(const ClipFacts& clip) {
    return clip.encoding == Encoding::ImaAdpcm ? clip.byteCount : clip.sampleCount;
}

// What a bank of `encoding` keeps beside its clips' arrays on an AVR board.
struct BankCosts {
    std::uint32_t entryBytes;  // the table's bytes a clip
    std::uint32_t room;        // the Uno's flash beside the bank sketch
    std::uint32_t nanoRoom;    // the Nano's
};

BankCosts costsOf(Encoding encoding) {
    if (encoding == Encoding::ImaAdpcm)
        return {kBankAdpcmEntryBytes, kBoardFlash - kBankAdpcmSketchBytes,
                kNanoFlash - kBankAdpcmSketchBytes};
    return {kBankEntryBytes, kBankRoom, kBankNanoRoom};
}

// The bytes of the bank of `facts` with every clip resampled to `rate`, and
// whether each clip then goes in one array; nothing when a length would
// not fit in 32 bits.
std::optional<std::uint64_t> bytesAt(const std::vector<ClipFacts>& facts, std::uint32_t rate,
                                     Encoding encoding, bool& inArrays) {
    std::uint64_t bytes = std::uint64_t{costsOf(encoding).entryBytes} * facts.size();
    inArrays = true;
    for (const ClipFacts& clip : facts) {
        const std::optional<std::uint32_t> length =
            sound::resampledLength(clip.sampleCount, clip.sampleRate, rate);
        if (!length) return std::nullopt;
        const std::uint64_t array = encoding == Encoding::ImaAdpcm ? sound::adpcmBytes(*length) : *length;
        inArrays = inArrays && array <= kArrayLimit;
        bytes += array;
    }
    return bytes;
}

// The highest whole rate at which the bank of `facts` fits kBankRoom with
// every clip in one array; 0 when a clip has no rate or none fits. The
// bytes grow with the rate, so a search between 1 and the highest of the
// clips' rates finds it.
std::uint32_t fittingRate(const std::vector<ClipFacts>& facts, Encoding encoding) {
    std::uint32_t high = 0;
    for (const ClipFacts& clip : facts) {
        if (clip.sampleRate == 0) return 0;
        high = std::max(high, clip.sampleRate);
    }
    const auto fitsAt = [&facts, encoding](std::uint32_t rate) {
        bool inArrays = false;
        const std::optional<std::uint64_t> bytes = bytesAt(facts, rate, encoding, inArrays);
        return bytes && inArrays && *bytes <= costsOf(encoding).room;
    };
    if (high == 0 || !fitsAt(1)) return 0;
    std::uint32_t low = 1;  // fits
    while (low < high) {
        const std::uint32_t middle = low + (high - low + 1) / 2;
        if (fitsAt(middle)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

// The table's entry of a clip: its array, its length (its bytes and
// samples for IMA ADPCM) and its rate.
std::string entryItem(const MadeClip& made, Target target) {
    const std::string& array = made.arrayName;
    const std::string bytes = decimal(made.bytes.size());
    if (made.encoding == Encoding::ImaAdpcm)
        return "{" + array + ", " + bytes + ", " + array + "_samples, " + array + "_rate}";
    const std::string rate = target == Target::C ? decimal(made.sampleRate) : array + "_rate";
    return "{" + array + ", " + bytes + ", " + rate + "}";
}

// How the accessor's comment says an entry's samples are read.
std::string_view samplesRead(Target target, Encoding encoding) {
    if (encoding == Encoding::ImaAdpcm) {
        return isAvrTarget(target)
                   ? ", read from flash; its samples are then decoded with "
                     "clip2c_adpcm_start(&d, data, samples) and clip2c_adpcm_next(&d). */\n"
                   : "; its samples are then decoded with clip2c_adpcm_start(&d, data, samples) and "
                     "clip2c_adpcm_next(&d). */\n";
    }
    switch (target) {
        case Target::Progmem:
            return ", read from flash; its samples are then read with pgm_read_byte(data + i). */\n";
        case Target::Flash:
            return ", read from flash; its samples are then read as data[i]. */\n";
        case Target::C:
        case Target::Firmware:
            break;
    }
    return "; its samples are data[0] to data[length - 1]. */\n";
}

// The accessor of the bank's table, with its comment.
std::string accessorText(const BankRequest& request) {
    const Target target = request.target;
    const std::string& bank = request.name;
    const std::string count = upperAscii(bank) + "_COUNT";
    const std::string entry = bank + "_clip";
    const std::string table = bank + "_clips";
    std::string text = "/* Entry `index` of " + table + " (below " + count + ")";
    text += samplesRead(target, request.encoding);
    text += "static inline struct " + entry + " " + bank + "_at(unsigned index)\n{\n";
    if (target == Target::Progmem) {
        text += "\tstruct " + entry + " clip;\n\tmemcpy_P(&clip, &" + table +
                "[index], sizeof clip);\n\treturn clip;\n";
    } else {
        text += "\treturn " + table + "[index];\n";
    }
    return text + "}\n";
}

}  // namespace

std::vector<std::string> bankNames(const BankRequest& request) {
    std::vector<std::string> wanted;
    std::set<std::string> wantedUpper;
    for (const BankFile& file : request.files) {
        wanted.push_back(wantedName(file));
        wantedUpper.insert(upperAscii(wanted.back()));
    }
    std::set<std::string> given;
    std::vector<std::string> names;
    for (const std::string& name : wanted) {
        std::string upper = upperAscii(name);
        if (!given.contains(upper) && !isReserved(upper)) {
            names.push_back(name);
            given.insert(std::move(upper));
            continue;
        }
        // A free name exists among the first files.size() + 3 suffixes: each
        // name given or wanted, and each reserved one, takes at most one.
        for (std::uint64_t suffix = 2;; ++suffix) {
            std::string candidate = name + "_" + decimal(suffix);
            std::string candidateUpper = upperAscii(candidate);
            if (!given.contains(candidateUpper) && !wantedUpper.contains(candidateUpper) &&
                !isReserved(candidateUpper)) {
                names.push_back(std::move(candidate));
                given.insert(std::move(candidateUpper));
                break;
            }
        }
    }
    return names;
}

BankFit bankFit(Target target, const std::vector<ClipFacts>& facts) {
    BankFit fit;
    const Encoding encoding = facts.empty() ? Encoding::Pcm8 : facts.front().encoding;
    const BankCosts costs = costsOf(encoding);
    std::uint64_t samples = 0;  // the arrays' bytes
    for (const ClipFacts& clip : facts) samples += arrayBytes(clip);
    if (!isAvrTarget(target)) {
        fit.bytes = samples;
        constexpr std::uint64_t kMost = std::numeric_limits<std::uint32_t>::max();
        fit.text = fitFor(target, {static_cast<std::uint32_t>(std::min(samples, kMost)), 0}).text;
        return fit;
    }
    const std::uint64_t tableBytes = std::uint64_t{costs.entryBytes} * facts.size();
    fit.bytes = samples + tableBytes;
    std::vector<std::string> overNames;
    for (std::size_t i = 0; i < facts.size(); ++i) {
        if (arrayBytes(facts[i]) <= kArrayLimit) continue;
        fit.over.push_back(i);
        overNames.emplace_back(facts[i].arrayName);
    }
    fit.fits = fit.over.empty() && fit.bytes <= costs.room;
    const std::string size =
        grouped(fit.bytes) + " bytes (clips " + grouped(samples) + ", table " + grouped(tableBytes) + ")";
    const std::string uno = grouped(costs.room) + " bytes";
    const std::string nano = grouped(costs.nanoRoom) + " bytes";
    if (fit.fits && fit.bytes <= costs.nanoRoom) {
        fit.text = "Fits an Arduino Uno or Nano beside the bank sketch: " + size + ", where the Uno holds " +
                   uno + " and the Nano " + nano + ".";
        return fit;
    }
    if (fit.fits) {
        fit.text = "Fits an Arduino Uno beside the bank sketch: " + size + ", where it holds " + uno +
                   "; too big for a Nano, which holds " + nano + ".";
        return fit;
    }
    fit.text = "Too big for an Arduino Uno beside the bank sketch: " + size + ", where it holds " + uno + ".";
    if (!overNames.empty()) {
        fit.text += " " + listed(overNames) + (overNames.size() == 1 ? " is" : " are") + " over one array (" +
                    grouped(kArrayLimit) + (overNames.size() == 1 ? " bytes)." : " bytes each).");
    }
    fit.fittingRate = fittingRate(facts, encoding);
    if (fit.fittingRate == 0) {
        fit.text += " No single rate fits them all: trim the clips or cut them shorter.";
        return fit;
    }
    bool inArrays = false;
    const std::uint64_t bytes = bytesAt(facts, fit.fittingRate, encoding, inArrays).value_or(0);
    fit.text += " At " + decimal(fit.fittingRate) + " Hz " +
                (facts.size() == 1 ? std::string("the clip") : "all " + grouped(facts.size()) + " clips") +
                " would fit: " + grouped(bytes) + " bytes.";
    return fit;
}

BankResult makeBank(const BankRequest& request) {
    BankResult bank;
    if (request.files.empty()) {
        bank.refusal = BankRefusal::NoClips;
        bank.why.kind = RefusalKind::NoClips;
        bank.refusalText = refusalEnglish(bank.why);
        return bank;
    }
    if (!givesIdentifier(request.name)) {
        bank.refusal = BankRefusal::BadName;
        bank.why.kind = RefusalKind::BadBankName;
        bank.why.detail = request.name;
        bank.refusalText = refusalEnglish(bank.why);
        return bank;
    }
    const std::vector<std::string> names = bankNames(request);
    const auto refuse = [&bank](BankRefusal refusal, std::size_t index, Refusal why) {
        if (bank.refusal != BankRefusal::None) return;
        bank.refusal = refusal;
        bank.refusedClip = index;
        bank.refusalText = why.fileName + ": " + refusalEnglish(why);
        bank.why = std::move(why);
    };
    bool madeAll = true;
    for (std::size_t i = 0; i < request.files.size() && madeAll; ++i) {
        const BankFile& file = request.files[i];
        ClipRequest clipRequest;
        clipRequest.fileName = file.fileName;
        clipRequest.name = names[i] == wantedName(file) ? file.name : std::optional<std::string>(names[i]);
        clipRequest.target = request.target;
        clipRequest.isSigned = request.isSigned;
        clipRequest.rate = request.rate;
        clipRequest.forcePrepare = request.rate != 0;
        clipRequest.options = request.options;
        clipRequest.encoding = request.encoding;
        BoardClip clip = makeClip(file.bytes, file.length, clipRequest);
        if (std::string note = renameNote(request, names, i); !note.empty())
            clip.notes.insert(clip.notes.begin(), std::move(note));
        const auto count = static_cast<std::uint32_t>(clip.made.bytes.size());
        Refusal why;
        why.fileName = file.fileName;
        if (clip.outcome == ClipOutcome::NeedsDecoder) {
            refuse(BankRefusal::NeedsDecoder, i, clip.refusal);
            madeAll = false;
        } else if (clip.outcome != ClipOutcome::Made) {
            refuse(BankRefusal::ClipRefused, i, clip.refusal);
            madeAll = false;
        } else if (count == 0) {
            why.kind = RefusalKind::EmptyClip;
            refuse(BankRefusal::EmptyClip, i, why);
            madeAll = false;
        } else if (isAvrTarget(request.target) && count > kArrayLimit) {
            why.kind = RefusalKind::OverArray;
            why.bytes = count;
            why.rate = clip.made.sampleRate;
            why.encoding = clip.made.encoding;
            refuse(BankRefusal::OverArray, i, why);
        }
        if (clip.outcome == ClipOutcome::Made) bank.sampleCount += samplesOf(clip.made);
        for (const std::string& note : clip.notes) bank.notes.push_back(file.fileName + ": " + note);
        bank.clips.push_back(std::move(clip));
    }
    if (!madeAll) return bank;
    std::vector<ClipFacts> facts;
    facts.reserve(bank.clips.size());
    for (const BoardClip& clip : bank.clips) facts.push_back(factsOf(clip, request.isSigned));
    bank.fit = bankFit(request.target, facts);
    if (bank.refusal == BankRefusal::None) {
        bank.text = render(bankHeader(request, bank));
        if (bank.text.empty()) {
            Refusal why;
            why.kind = RefusalKind::OutOfMemory;
            why.fileName = request.files.front().fileName;
            refuse(BankRefusal::ClipRefused, 0, why);
        }
    }
    return bank;
}

Header bankHeader(const BankRequest& request, const BankResult& bank) {
    const Target target = request.target;
    const std::string& name = request.name;
    const std::string upperBank = upperAscii(name);
    const bool adpcm = request.encoding == Encoding::ImaAdpcm;
    Header header;
    header.comment = {name + ": " + grouped(bank.clips.size()) +
                      (bank.clips.size() == 1 ? " clip, " : " clips, ") + grouped(bank.sampleCount) +
                      (bank.sampleCount == 1 ? " sample in all" : " samples in all")};
    for (const BoardClip& clip : bank.clips)
        header.comment.push_back(factsLine(factsOf(clip, request.isSigned)));
    header.guard = upperBank + "_BANK_H";
    if (target == Target::Progmem) header.includes = {"<avr/pgmspace.h>"};
    if (adpcm) header.decoder = adpcmDecoderText(target);
    BankPart part;
    part.structName = name + "_clip";
    for (const BoardClip& clip : bank.clips) {
        header.clips.push_back(clipPart(target, factsOf(clip, request.isSigned), clip.made.bytes));
        part.enumerators.push_back(upperBank + "_" + upperAscii(clip.name));
        part.table.items.push_back(entryItem(clip.made, target));
    }
    part.enumerators.push_back(upperBank + "_COUNT");
    part.fields = {samplePointerType(target, request.isSigned && !adpcm) + "data"};
    if (adpcm) {
        part.fields.insert(part.fields.end(),
                           {"unsigned long bytes", "unsigned long samples", "unsigned long rate"});
    } else {
        part.fields.insert(part.fields.end(), {"unsigned long length", "unsigned long rate"});
    }
    part.table.storage = storageWords(target);
    part.table.type = "struct " + part.structName;
    part.table.name = name + "_clips";
    part.table.length = part.enumerators.back();
    part.table.perLine = 1;
    part.table.commaAfterLast = true;
    part.table.braceOnOwnLine = false;
    part.accessor = accessorText(request);
    header.bank = std::move(part);
    return header;
}

}  // namespace clip2c::board
