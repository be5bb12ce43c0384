// Turning an encrypted or binary SII file into plain text with our decrypter, SII_Decrypt.exe,
// which lies beside the program and converts the file in place.
#pragma once

#include <QString>
#include <cstdint>

namespace kvn {

inline constexpr const char *SiiDecrypterFileName = "SII_Decrypt.exe";

// An existing file (not a folder) whose text does not begin with "SiiNunit".
bool IsSiiFileEncrypted(const QString &FileName);

enum class TSiiDecryptStatus : std::uint8_t {
    AlreadyPlain, // nothing had to be done
    Converted,    // the decrypter ran and the file is plain text now
    StartFailed,  // the decrypter could not be started
    NotDecoded,   // it ran (or timed out) but the file is still not plain text
};

inline bool IsReadable(TSiiDecryptStatus Status)
{
    return Status == TSiiDecryptStatus::AlreadyPlain || Status == TSiiDecryptStatus::Converted;
}

class TSiiDecrypter {
public:
    explicit TSiiDecrypter(QString ProgramFolder) : FProgramFolder(std::move(ProgramFolder)) {}

    QString DecrypterPath() const;
    // Runs the decrypter on FileName when it is not plain text. While it runs, the caller's event
    // loop keeps being served (the window answers). Whatever the decrypter says, the file itself
    // decides: still not plain text afterwards is NotDecoded.
    TSiiDecryptStatus DecryptSiiFile(const QString &FileName) const;
    // The same without touching FileName: a file that is not plain text is copied into
    // ScratchFolder and the copy is decoded there. Readable names the file to read afterwards
    // (FileName itself when it was plain text already). Used wherever a file is only read, so
    // that the player's files keep the form the game wrote.
    TSiiDecryptStatus DecryptCopy(const QString &FileName, const QString &ScratchFolder, QString &Readable) const;

private:
    QString FProgramFolder;
};

} // namespace kvn
