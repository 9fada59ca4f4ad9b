#pragma once

// The showing's load, OK, Import and Export of every table editor window, written once over the kind's
// document (see TableDocument.h). The window keeps its controls; it hands over what empties and shows
// them.

#include "canopen/TableDocument.h"
#include "platform/FileFingerprint.h"
#include "platform/FileSystem.h"
#include "widgets/AppContext.h"
#include "widgets/IncompleteLoad.h"

#include <QDialog>

#include <functional>
#include <optional>

namespace velmaro {

template <class Document>
class TableEditorActions
{
public:
    using Table = typename Document::Table;

    TableEditorActions(AppContext& context, Table& table) : m_context(context), m_table(table) {}

    // A showing: notes the document as it stands, then reads it into the table. The window shows the
    // table and the load's messages.
    DocumentLoad load()
    {
        m_fileAtShowing = TakeFileFingerprint(Document::path(m_context.paths));
        const DocumentLoad loaded = Document::load(m_context.paths, m_table);
        m_readWhole = loaded.readWhole;
        return loaded;
    }

    // OK: `readControls` (when given) first, then the save, which asks before replacing a document
    // changed since the showing or not read whole by it. Closes `dialog` once written; a refused save
    // shows its reason and keeps the window open.
    void ok(QDialog& dialog, const std::function<void()>& readControls = {})
    {
        if (readControls)
            readControls();
        const Result<bool> saved = Document::save(m_context.paths, m_table, [this] {
            return MayReplaceDocument(m_context.messages, Document::path(m_context.paths), m_readWhole,
                                      m_fileAtShowing);
        });
        if (!saved.ok()) {
            m_context.messages.showError(saved.error());
            return;
        }
        if (*saved)
            dialog.accept();
    }

    // Import: the open dialog (cancel does nothing), then the import with the editor's rule, which runs
    // `emptyStep` on the controls. Whatever was placed before a failure stays: `showTable` (when given)
    // shows it, then a stop or records the window does not show are reported.
    void importWorkbook(const std::function<void()>& emptyStep,
                        const std::function<void(const ImportOutcome&)>& showTable)
    {
        const std::optional<QString> workbook = m_context.dialogs.openFile(OpenExcelRequest(m_context.paths));
        if (!workbook)
            return;
        const ImportOutcome imported =
            Document::importWorkbook(*workbook, m_table, ImportRule::Editor, emptyStep);
        if (showTable)
            showTable(imported);
        const QString note = imported.editorNote(NativePath(*workbook), Document::definition().TableName);
        if (!note.isEmpty())
            m_context.messages.showMessage(note);
    }

    // Export: `readControls` (when given) first, then the CSV file; a failure is shown.
    void exportCsv(const std::function<void()>& readControls = {})
    {
        if (readControls)
            readControls();
        const Status written = Document::exportCsv(m_context.paths, m_table);
        if (!written.ok())
            m_context.messages.showError(written.error());
    }

private:
    AppContext& m_context;
    Table& m_table;
    bool m_readWhole = true;         // this showing read the document whole (or found none)
    FileFingerprint m_fileAtShowing; // the document before this showing read it
};

} // namespace velmaro
