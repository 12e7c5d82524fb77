#pragma once
// The five companion tables a project carries besides its communication
// settings: SDO, EMCY, EMCY word, PDO and store-PDO. Each holds a CAN 0 side
// and a CAN 1 side, and each has a writer for its document.
//
// Every document is one root element with one `row` element per entry, the
// CAN 0 side first; every value is an attribute, set in a fixed order, and
// an empty value is written as an empty attribute. No window of the program
// edits these tables, so a new project receives them empty and each file
// holds its bare root element; the writers handle filled tables all the same.
//
// A writer builds the whole document before it saves, so a key it cannot
// read leaves the file untouched. Failures are Errors for the caller.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace c2c {

class ProjectLayout;

// Root elements of the five documents.
inline constexpr const char* kSdoRoot = "sdo";
inline constexpr const char* kEmcyRoot = "emcydef";
inline constexpr const char* kEmcyWordRoot = "emcyword";
inline constexpr const char* kPdoRoot = "rpdodef";
inline constexpr const char* kStorePdoRoot = "sdopdo";

// Largest key the EMCY and EMCY word tables order by, and the PDO and
// store-PDO tables. A larger key is refused: the device side knows no such
// entry, and ordering it anyway would only hide the mistake.
inline constexpr std::int32_t kEmcyKeyBound = 999999;
inline constexpr std::int32_t kPdoKeyBound = 10066329;

// ---------------------------------------------------------------- SDO

// One SDO access forwarded to the other port (sdo.xml).
struct SdoEntry {
    std::string ReadWrite; // flag text: "1" marks a write; an empty text ends the table
    std::string IndexA;    // requesting side
    std::string SubindexA;
    std::string DevIdB; // target side
    std::string IndexB;
    std::string SubindexB;
    std::string NByteB;
    std::string Mnemonic;
};

// Requests from CAN 0 to CAN 1 (Can0) and from CAN 1 to CAN 0 (Can1).
struct SdoTables {
    std::vector<SdoEntry> Can0;
    std::vector<SdoEntry> Can1;
};

// ---------------------------------------------------------------- EMCY

// Which part of an EMCY message carries the translated identifier.
enum class EmcySelector : int {
    None = 0,
    ErrorCodeHigh = 1,
    ErrorCodeLow = 2,
    ErrorRegister = 3,
    Manufacturer1High = 4,
    Manufacturer1Low = 5,
    Manufacturer2High = 6,
    Manufacturer2Low = 7,
    Manufacturer3 = 8,
};

// One EMCY message to match and translate (emcydef.xml). The texts are
// written as typed.
struct EmcyEntry {
    std::string IdDev; // EMCY identifier, 1..127
    std::string MaskEc; // error code, 0..65535
    std::string MaskEr; // error register, 0..255
    std::string MaskM1; // manufacturer bytes, 0..65535, 0..65535, 0..255
    std::string MaskM2;
    std::string MaskM3;
    std::string EnMaskEc; // enable masks, same ranges
    std::string EnMaskEr;
    std::string EnMaskM1;
    std::string EnMaskM2;
    std::string EnMaskM3;
    bool TranslationEnabled = false; // translated to the other port
    EmcySelector Selector = EmcySelector::None;
};

// EMCY messages from CAN 0 and from CAN 1.
struct EmcyTables {
    std::vector<EmcyEntry> Can0;
    std::vector<EmcyEntry> Can1;
};

// ---------------------------------------------------------------- EMCY word

struct EmcyWordBit {
    std::string B0;
    std::string B1;
    std::string PosComp;
};

// One EMCY word (emcyword.xml): where it lives and what each of its 16 bits
// means.
struct EmcyWordEntry {
    std::string IndexAddrm;
    std::string Subindex;
    std::string DevId;
    std::array<EmcyWordBit, 16> Bits;
};

struct EmcyWordTables {
    std::vector<EmcyWordEntry> Can0;
    std::vector<EmcyWordEntry> Can1;
};

// ---------------------------------------------------------------- PDO

// One PDO to translate (rpdodef.xml).
struct PdoEntry {
    std::string CobId; // an empty text ends the table
    std::string IdDevOrig;
    std::string Bypass; // flag text: "1" sets the bypass
    std::string PosInd;
    std::string NTpdo;
};

struct PdoTables {
    std::vector<PdoEntry> Can0;
    std::vector<PdoEntry> Can1;
};

// ---------------------------------------------------------------- store PDO

struct SdoReference {
    std::string Index;
    std::string Subindex;
    std::string PosComp;
};

// A stored PDO: the SDO entries it is made of. Its number is its position in
// its list, counted from 1.
struct StoredPdo {
    std::vector<SdoReference> References;
};

struct StorePdoTables {
    std::vector<StoredPdo> Can0;
    std::vector<StoredPdo> Can1;
};

// ---------------------------------------------------------------- all five

// The program's one set of companion tables; it lives for the whole run.
struct CompanionTables {
    SdoTables Sdo;
    EmcyTables Emcy;
    EmcyWordTables EmcyWord;
    PdoTables Pdo;
    StorePdoTables StorePdo;
};

// sdo.xml: rows ordered by IndexA, then SubindexA, each read as a 16-bit
// unsigned number (unreadable text counts as 0); equal keys keep their table
// order. Each side ends at its first entry with an empty ReadWrite text.
void WriteSdoDocument(const SdoTables& tables, const std::string& path);

// emcydef.xml: rows ordered by IdDev; of equal keys the later entry first.
void WriteEmcyDocument(const EmcyTables& tables, const std::string& path);

// Empties both EMCY word lists.
void ResetEmcyWordTables(EmcyWordTables& tables);
// emcyword.xml: rows ordered by DevId, then IndexAddrm, then Subindex; of
// equal keys the later entry first.
void WriteEmcyWordDocument(const EmcyWordTables& tables, const std::string& path);

// rpdodef.xml: rows ordered by CobId; of equal keys the later entry first.
// Each side ends at its first entry with an empty CobId.
void WritePdoDocument(const PdoTables& tables, const std::string& path);

// Empties both store-PDO lists.
void ResetStorePdoTables(StorePdoTables& tables);
// sdopdo.xml: one row per SDO reference of every PDO of a side, ordered by
// Index, then Subindex; of equal pairs the later reference first.
void WriteStorePdoDocument(const StorePdoTables& tables, const std::string& path);

// Writes the five documents of the open project in their order, emptying
// the EMCY word and store-PDO lists first, as a new project does. The first
// Error ends the sequence; the later documents are not written.
void WriteCompanionDocuments(CompanionTables& tables, const ProjectLayout& project);

} // namespace c2c
