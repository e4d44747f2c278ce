#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// Stops the run when a property of the code under test does not hold; libFuzzer
// keeps the input that did it, the replay program names it.
#define FUZZ_CHECK(condition)                            \
    do {                                                 \
        if (!(condition))                                \
            FuzzFailure(#condition, __FILE__, __LINE__); \
    } while (0)

[[noreturn]] void FuzzFailure(const char *condition, const char *file, int line);

// A data folder of its own for the whole run: XDG_DATA_HOME and HOME point at a
// temporary folder holding Quarnwerk/Vellumo/Bilder. Returns the app folder
// (…/Quarnwerk/Vellumo) without a trailing slash.
QString FuzzDataFolder();

// Writes bytes into a file as they are (no atomic replacement: the input is
// the file a user or a download left there).
void WriteRawFile(const QString &path, const QByteArray &bytes);
QByteArray ReadRawFile(const QString &path);

// Takes bytes off the front of the input, as fuzz targets split one input into
// choices and a payload. Reading past the end gives zeros.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t u16() { return std::uint16_t(byte() | (byte() << 8)); }
    std::uint32_t u32() { return std::uint32_t(u16()) | (std::uint32_t(u16()) << 16); }
    // The rest of the input; its last byte is the last byte of the buffer the
    // fuzzer handed in, so reading one byte too far is caught.
    const std::uint8_t *rest() const { return data_ + at_; }
    std::size_t restSize() const { return at_ < size_ ? size_ - at_ : 0; }
    QByteArray restBytes() const {
        return QByteArray(reinterpret_cast<const char *>(rest()), qsizetype(restSize()));
    }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t at_ = 0;
};
