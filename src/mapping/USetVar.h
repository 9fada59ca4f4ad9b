#pragma once

#include "widgets/AppContext.h"

#include <QDialog>

class QPushButton;
class QTabWidget;

namespace velmaro {

class MappingGridModel;
class MappingGridView;

// Editor of the two serial / PROFIBUS mapping tables kept in sdo.xml.
class TFSetVar : public QDialog
{
    Q_OBJECT
public:
    explicit TFSetVar(AppContext& context, QWidget* parent = nullptr);

    QTabWidget* PageControl1 = nullptr;
    MappingGridView* sga = nullptr;
    MappingGridView* sgb = nullptr;
    QPushButton* bitbtn1 = nullptr;
    QPushButton* bitbtn2 = nullptr;

    // Highest PROFIBUS address accepted in each table, set at every showing.
    qint32 InLimit = 244;
    qint32 OutLimit = 244;

    void FormShow();
    void bitbtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppContext& m_context;
    MappingGridModel* m_modelA = nullptr;
    MappingGridModel* m_modelB = nullptr;
    bool m_readWhole = true; // this showing read the whole document, or there was none
};

} // namespace velmaro
