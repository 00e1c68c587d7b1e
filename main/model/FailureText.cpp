// Translating the engine's failure sentences.
#include "model/FailureText.h"

#include "engine/base/JobErrors.h"
#include "model/PathText.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

namespace FailureText {
namespace {

struct Reason {
    int error;
    const char* words; ///< as the C library says it in English
};

// The faults a wall's folder meets in practice; the system's own translations are rarely
// installed, so the common ones are ours.
constexpr Reason reasons[] = {
    {ENOSPC, QT_TRANSLATE_NOOP("SystemError", "No space left on device")},
    {EACCES, QT_TRANSLATE_NOOP("SystemError", "Permission denied")},
    {EPERM, QT_TRANSLATE_NOOP("SystemError", "Operation not permitted")},
    {EROFS, QT_TRANSLATE_NOOP("SystemError", "Read-only file system")},
    {EDQUOT, QT_TRANSLATE_NOOP("SystemError", "Disk quota exceeded")},
    {EIO, QT_TRANSLATE_NOOP("SystemError", "Input/output error")},
    {ENOENT, QT_TRANSLATE_NOOP("SystemError", "No such file or directory")},
    {ENOTDIR, QT_TRANSLATE_NOOP("SystemError", "Not a directory")},
    {EISDIR, QT_TRANSLATE_NOOP("SystemError", "Is a directory")},
    {EEXIST, QT_TRANSLATE_NOOP("SystemError", "File exists")},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("SystemError", "File name too long")},
    {ELOOP, QT_TRANSLATE_NOOP("SystemError", "Too many levels of symbolic links")},
    {EBUSY, QT_TRANSLATE_NOOP("SystemError", "Device or resource busy")},
    {EMFILE, QT_TRANSLATE_NOOP("SystemError", "Too many open files")},
    {ENFILE, QT_TRANSLATE_NOOP("SystemError", "Too many open files in system")},
    {ENOMEM, QT_TRANSLATE_NOOP("SystemError", "Cannot allocate memory")},
};

} // namespace

QString systemReason(int error)
{
    for (const Reason& reason : reasons) {
        if (reason.error == error)
            return QCoreApplication::translate("SystemError", reason.words);
    }
    return QString::fromLocal8Bit(std::strerror(error));
}

QString of(const JobError& error)
{
    // Filled as bytes: a file name that is not UTF-8 keeps its bytes, as path text does.
    std::vector<std::string> values = error.arguments();
    if (error.systemError() != 0)
        values.push_back(systemReason(error.systemError()).toStdString());
    const QString pattern = QCoreApplication::translate("JobError", error.pattern());
    return PathText::fromBytes(JobError::fill(pattern.toStdString(), values));
}

} // namespace FailureText
