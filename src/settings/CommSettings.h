#pragma once

#include "base/Result.h"

#include <QString>

#include <optional>

namespace velmaro {

// The fifteen texts of pargen.xml, each exactly as stored, or absent when the document lacks it.
struct CommSettings
{
    std::optional<QString> Ser_Type;
    std::optional<QString> Ser_RecTra;
    std::optional<QString> Ser_Transmit;
    std::optional<QString> Ser_Receive;
    std::optional<QString> Ser_Trans_Every;
    std::optional<QString> Ser_Receive_End_C;
    std::optional<QString> Ser_Receive_End_T;
    std::optional<QString> Ser_Baud;
    std::optional<QString> Ser_Par;
    std::optional<QString> Ser_DataBits;
    std::optional<QString> Ser_TimeOut;
    std::optional<QString> Profi_ID;
    std::optional<QString> Profi_Baud;
    std::optional<QString> Profi_NB_IN;
    std::optional<QString> Profi_NB_OUT;
};

// One field: its element name and its member, in document order.
struct CommField
{
    const char* element;
    std::optional<QString> CommSettings::*member;
};
const CommField (&CommFields())[15];

// Loads the document at `path` (built with "\"). Success with no value: there is no file. Fails with
// the parser's text (and the line and column) when the file is not well-formed XML.
Result<std::optional<CommSettings>> LoadCommSettings(const QString& path);

// Writes the whole document atomically. Every field must be present; a record that lacks one is
// refused and nothing is written.
Status SaveCommSettings(const QString& path, const CommSettings& settings);

// The PROFIBUS byte counts as the mapping editor and the GSD generator read them: absent or not an
// integer counts as 244.
qint32 ProfibusByteCount(const std::optional<QString>& field);

} // namespace velmaro
