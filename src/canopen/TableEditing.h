#pragma once

// What every CANopen table keeps the same way apart from its documents: the two sides its records
// are divided into, and the result of an edit (New, Modify, Delete). Core only (Qt Core).

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>

namespace velmaro {

// The two CAN sides every table divides its records into, after the gateway's ports: side A (tab or
// page "CanA", listed first in documents and CSV files) and side B.
enum class Side
{
    A,
    B
};

// Both sides, side A first, for loops over the two.
inline constexpr Side BothSides[] = {Side::A, Side::B};

// One T per side, indexed by Side: a table's records of each side, a window's controls of each page.
template <class T>
struct Sides
{
    std::array<T, 2> items{}; // side A, then side B

    T& operator[](Side s) { return items[std::size_t(s)]; }
    const T& operator[](Side s) const { return items[std::size_t(s)]; }
    bool operator==(const Sides& o) const { return items == o.items; }
    auto begin() { return items.begin(); }
    auto end() { return items.end(); }
    auto begin() const { return items.begin(); }
    auto end() const { return items.end(); }
};

// The refusal of an identifier or index that a side already lists, or that is empty (EMCY entries and words).
inline const QString IndexNotValidMessage = QStringLiteral("Index Not Valid");

// What a New, Modify or Delete of a table did. The messages are the table's own texts; a window shows
// them as they are (ShowEditOutcome) and says nothing of its own.
struct EditOutcome
{
    enum Kind
    {
        Accepted, // the edit was made
        Rejected, // refused: nothing changed; each message is shown in a plain box (none: nothing to say)
        Failed    // abandoned by a conversion error, shown in an error box
    };
    Kind kind = Accepted;
    QStringList messages;

    bool accepted() const { return kind == Accepted; }

    static EditOutcome done() { return {}; }
    static EditOutcome refused(QStringList messages = {}) { return {Rejected, std::move(messages)}; }
    static EditOutcome failed(const QString& error) { return {Failed, {error}}; }
};

// Shows the messages of a refused or failed edit, in order: plain boxes for a refusal, error boxes
// for a failure. An accepted edit shows nothing.
void ShowEditOutcome(IMessageBoxes& boxes, const EditOutcome& outcome);

} // namespace velmaro
