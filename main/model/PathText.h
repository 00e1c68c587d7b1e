// Paths as text for the interface and the settings, without losing bytes.
#pragma once

#include <QString>
#include <QUrl>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

/// A Linux file name is bytes, not always UTF-8. Path text decodes the valid UTF-8 and keeps
/// each other byte as a lone surrogate U+DC80..U+DCFF (the byte plus 0xDC00), the form the
/// engine's JSON uses too, so a path turned into text and back names the same file.
namespace PathText {

QString fromBytes(std::string_view bytes);
QString fromPath(const std::filesystem::path& path);
std::string toBytes(const QString& text);
std::filesystem::path toPath(const QString& text);

/// A file location for path text, byte for byte, also for names that are not UTF-8.
QUrl fileUrl(const QString& path);
/// Path text for a local file location, byte for byte; nothing for other locations.
std::optional<QString> pathOf(const QUrl& url);

} // namespace PathText
