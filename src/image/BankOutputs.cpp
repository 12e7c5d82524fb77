#include "image/BankOutputs.h"

#include "image/BankImage.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/HexDigits.h"
#include "platform/StagedFile.h"
#include "project/ProjectLayout.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace c2c {

namespace {

constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kLinesPerBank = kBankSize / kBytesPerLine; // 1024
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kContinuationIndent = "                 "; // 17 blanks
static_assert(kContinuationIndent.size() == 17);

// Writes into a buffer sized in advance: bankg.c has the same length for
// every image, so the text is laid down without any reallocation.
class TextCursor {
public:
    explicit TextCursor(char* at) : at_(at) {}

    void Append(std::string_view part)
    {
        std::memcpy(at_, part.data(), part.size());
        at_ += part.size();
    }

    // " 0xHH" with upper-case digits, then "," (or "};" for the last byte).
    void AppendByte(std::uint8_t value, bool last)
    {
        char group[6] = {' ', '0', 'x', kUpperHexDigits[value >> 4], kUpperHexDigits[value & 0x0F], ','};
        std::memcpy(at_, group, sizeof group);
        at_ += sizeof group;
        if (last) {
            at_[-1] = '}';
            *at_++ = ';';
        }
    }

    const char* Position() const { return at_; }

private:
    char* at_;
};

// The 1024 lines of bank `number`, sixteen bytes each, every byte followed
// by "," except the last of the bank, which closes the array with "};".
void AppendBankArray(TextCursor& out, const BankImage::BankBytes& bank, int number)
{
    for (std::size_t line = 0; line < kLinesPerBank; ++line) {
        if (line == 0) {
            out.Append("const char Bank");
            out.Append(std::to_string(number));
            out.Append(" [] = {");
        } else {
            out.Append(kContinuationIndent);
        }
        const std::size_t first = line * kBytesPerLine;
        for (std::size_t offset = first; offset < first + kBytesPerLine; ++offset)
            out.AppendByte(bank[offset], offset + 1 == kBankSize);
        out.Append(kLineEnd);
    }
}

} // namespace

std::string BankSourceText(const BankImage& image)
{
    std::string text(kBankSourceSize, '\0');
    TextCursor out(text.data());
    for (int number = 1; number <= 4; ++number) {
        if (number == 1) {
            out.Append("#pragma CONST_SEG SEGMENT0");
            out.Append(kLineEnd);
        } else if (number == 4) {
            out.Append("#pragma CONST_SEG SEGMENT1");
            out.Append(kLineEnd);
        }
        AppendBankArray(out, image.Bank(number), number);
        out.Append(kLineEnd);
    }
    out.Append("#pragma CONST_SEG DEFAULT");
    out.Append(kLineEnd);
    if (out.Position() != text.data() + text.size())
        throw std::logic_error("bankg.c does not have its fixed length");
    return text;
}

void WriteBankFiles(const ProjectLayout& project, const BankImage& image)
{
    project.RequireProject();
    // Every new file, flushed to disk under a temporary name: a failure here
    // leaves the old set as it was.
    std::vector<std::unique_ptr<StagedFile>> files;
    for (int number = 1; number <= kBankCount; ++number) {
        const auto& bank = image.Bank(number);
        files.push_back(std::make_unique<StagedFile>(
            project.BankFile(number), std::string_view(reinterpret_cast<const char*>(bank.data()), bank.size())));
    }
    files.push_back(std::make_unique<StagedFile>(project.BankSourceFile(), BankSourceText(image)));

    // The old set goes before any new file takes a name, so the bin folder
    // never holds files of two builds.
    for (const auto& file : files)
        if (!RemoveFile(file->Target()) && PathExists(file->Target()))
            throw Error("Cannot replace file \"" + file->Target() + "\"");
    for (auto& file : files)
        file->Install();
}

} // namespace c2c
