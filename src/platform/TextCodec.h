#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace tolvarine {

// Shift-JIS as Windows writes it (CP932), through the C library's iconv.
std::optional<QString> decodeCp932(const QByteArray &bytes);
std::optional<QByteArray> encodeCp932(const QString &text);

// Text files of the store and beside the program: UTF-8 when the bytes are valid
// UTF-8 (a BOM is dropped), otherwise CP932; UTF-16 when a BOM says so. Undecodable
// bytes, or bytes that are not what their BOM says, give nullopt.
std::optional<QString> decodeUtf8OrCp932(const QByteArray &bytes);

// Length of text in CP932 bytes; characters CP932 cannot hold count as their UTF-8 size.
int cp932ByteLength(const QString &text);

// Cuts text so that it holds at most maxBytes CP932 bytes, never splitting a character.
QString truncateToCp932Bytes(const QString &text, int maxBytes);

} // namespace tolvarine
