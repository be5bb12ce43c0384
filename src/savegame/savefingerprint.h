// What identifies the quick-save that was loaded: its size, its last write time and a hash of its
// bytes. The game may quick-save while jobs are being composed; writing the lines read at the load
// over a newer file would throw the player's newer progress away, so "Save all jobs" compares the
// file on disk with this first. Size and time alone are not enough: a copy or a restore may give
// other bytes the same size and time.
#pragma once

#include <QByteArray>
#include <QString>

namespace kvn {

struct TSaveFingerprint {
    qint64 Size = -1;         // -1: no file
    qint64 ModifiedMsecs = 0; // since 1970, UTC
    QByteArray Hash;          // SHA-1 of the bytes

    bool IsValid() const { return Size >= 0 && !Hash.isEmpty(); }
    // Size and time only: cheap, and enough to see that a load read a file that changed meanwhile.
    bool SameSizeAndTime(const TSaveFingerprint &Other) const
    {
        return Size == Other.Size && ModifiedMsecs == Other.ModifiedMsecs;
    }
    bool operator==(const TSaveFingerprint &Other) const = default;
};

// Size and time of Path without reading it; Size -1 when there is no such file.
TSaveFingerprint SaveSizeAndTime(const QString &Path);
// Size, time and the hash of the bytes, read in slices; an invalid fingerprint when the file cannot
// be read.
TSaveFingerprint TakeSaveFingerprint(const QString &Path);

} // namespace kvn
