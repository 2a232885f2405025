// The recording of a picture without its image: of all its chunks only "stEp" and "peNs" are read.
#include "canvas/png_steps.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/png_pens.h"
#include "settings/settings_io.h"

namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kLongestChunk = 0x7FFFFFFF;

// Where the chunks come from: a file read in place, or bytes in memory.
class ChunkSource {
  public:
    virtual ~ChunkSource() = default;
    virtual bool Read(uint8_t* out, size_t count) = 0;
    virtual bool Skip(uint32_t count) = 0;
};

class FileSource : public ChunkSource {
  public:
    explicit FileSource(FILE* file) : file_(file) {}
    bool Read(uint8_t* out, size_t count) override {
        return std::fread(out, 1, count, file_) == count;
    }
    bool Skip(uint32_t count) override {
        return std::fseek(file_, static_cast<long>(count), SEEK_CUR) == 0;
    }

  private:
    FILE* file_;
};

class MemorySource : public ChunkSource {
  public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Read(uint8_t* out, size_t count) override {
        if (count > size_ - offset_) return false;
        std::memcpy(out, data_ + offset_, count);
        offset_ += count;
        return true;
    }
    bool Skip(uint32_t count) override {
        if (count > size_ - offset_) return false;
        offset_ += count;
        return true;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

uint32_t BigEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

uint32_t Crc32(const uint8_t* type, const uint8_t* data, size_t size) {
    static uint32_t table[256];
    if (table[1] == 0) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < 4; ++i) crc = table[(crc ^ type[i]) & 0xFF] ^ (crc >> 8);
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// Reads a chunk's data and checks its CRC.
bool ReadChunkData(ChunkSource* source, const uint8_t* type, uint32_t length,
                   std::vector<uint8_t>* data) {
    data->resize(static_cast<size_t>(length) + 4);
    if (!source->Read(data->data(), data->size())) return false;
    const uint32_t stored = BigEndian32(data->data() + length);
    data->resize(length);
    return Crc32(type, data->data(), length) == stored;
}

// The header chunk as a decoder would insist on it: first, 13 bytes, a
// correct CRC, a size within the limits and a known depth and colour type.
bool GoodHeader(ChunkSource* source) {
    uint8_t frame[8];
    if (!source->Read(frame, 8) || BigEndian32(frame) != 13 || std::memcmp(frame + 4, "IHDR", 4))
        return false;
    std::vector<uint8_t> data;
    if (!ReadChunkData(source, frame + 4, 13, &data)) return false;
    const uint32_t width = BigEndian32(data.data()), height = BigEndian32(data.data() + 4);
    if (width == 0 || height == 0 || width > kLongestChunk || height > kLongestChunk) return false;
    const uint8_t depth = data[8], colourType = data[9];
    const bool depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    const bool typeKnown = colourType <= 6 && colourType != 1 && colourType != 5;
    return depthFits && typeKnown && data[10] == 0 && data[11] == 0 && data[12] <= 1;
}

// A recording chunk to read: "stEp" or "peNs" of a length that can be taken.
bool IsRecordingChunk(const uint8_t* type, uint32_t length) {
    if (std::memcmp(type, "stEp", 4) == 0) return length >= 16 && length <= kMaxStepChunkBytes;
    return std::memcmp(type, kPenChunkName, 4) == 0 && length <= kMaxPenChunkBytes;
}

PngStepsResult ReadSteps(ChunkSource* source, StepLog* log, PenLog* pens) {
    uint8_t signature[8];
    if (!source->Read(signature, 8) || std::memcmp(signature, kSignature, 8) != 0)
        return PngStepsResult::kNotAPng;
    if (!GoodHeader(source)) return PngStepsResult::kNotAPng;
    PenChunkFinder penChunk;
    std::vector<uint8_t> data;
    uint8_t frame[8];
    // A file cut short after its recording keeps the recording.
    while (source->Read(frame, 8)) {
        const uint32_t length = BigEndian32(frame);
        const uint8_t* type = frame + 4;
        if (length > kLongestChunk || std::memcmp(type, "IEND", 4) == 0) break;
        if (!IsRecordingChunk(type, length)) {
            if (!source->Skip(length) || !source->Skip(4)) break;
            continue;
        }
        if (!ReadChunkData(source, type, length, &data)) {
            if (data.size() != length) break; // cut short
            continue;                         // a damaged copy is ignored
        }
        if (std::memcmp(type, kPenChunkName, 4) == 0) {
            penChunk.data = data;
            penChunk.found = true;
        } else if (TakeStepChunk(data.data(), data.size(), log)) {
            penChunk.recordingTaken = true; // a later valid recording replaces an earlier one
        }
    }
    if (!penChunk.recordingTaken) return PngStepsResult::kNoRecording;
    FinishPenChunk(penChunk, log->stepCount, pens);
    return PngStepsResult::kRecording;
}

int32_t LittleEndian32(const uint8_t* bytes) {
    return static_cast<int32_t>(
        static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
        static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

} // namespace

bool TakeStepChunk(const uint8_t* data, size_t size, StepLog* log) {
    if (!log || !data || size < 16) return false;
    const int32_t count = LittleEndian32(data + 12);
    if (count < 0 || count > kMaxSteps) return false;
    const size_t bytes = (static_cast<size_t>(count) + 1) * 16;
    if (size < bytes) return false;
    std::memcpy(static_cast<void*>(log), data, bytes);
    return true;
}

PngStepsResult ReadPngSteps(const char16_t* path, StepLog* log, PenLog* pens) {
    if (!path) return PngStepsResult::kNotAPng;
    FILE* file = OpenBinaryFile(std::u16string(path), false);
    if (!file) return PngStepsResult::kNotAPng;
    FileSource source(file);
    PngStepsResult result = ReadSteps(&source, log, pens);
    std::fclose(file);
    return result;
}

PngStepsResult ReadPngStepsMemory(const uint8_t* data, size_t size, StepLog* log, PenLog* pens) {
    if (!data) return PngStepsResult::kNotAPng;
    MemorySource source(data, size);
    return ReadSteps(&source, log, pens);
}
