#pragma once

#include "mapping/BenchLine.h"
#include "mapping/BenchRound.h"
#include "mapping/ByteMap.h"
#include "widgets/AppContext.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace velmaro {

class ByteMapView;

// "Test Mapping": the PC as the gateway's Modbus master on a serial port, for the mapping editor's tables.
// Never blocks: every request runs from the event loop; a slave that does not answer shows its time-out
// on its row.
class TFTestMapping : public QDialog
{
    Q_OBJECT
public:
    explicit TFTestMapping(AppContext& context, QWidget* parent = nullptr);
    ~TFTestMapping() override;

    // The rows in use to test and the data lengths; stops any polling.
    void SetTables(const MappingTables& used, const MappingLimits& limits);

    // Gives the master of the next opening (tests put a recorder here).
    std::function<std::unique_ptr<IModbusMaster>()> masterFactory;

    QComboBox* CB_Port = nullptr;
    QSpinBox* SE_Interval = nullptr;
    QPushButton* BtnPollOnce = nullptr;
    QPushButton* BtnPollEvery = nullptr;
    QPushButton* BtnStop = nullptr;
    QTableWidget* GridRows = nullptr;
    ByteMapView* MapIn = nullptr;
    QLineEdit* EOutput = nullptr;
    QPushButton* BtnWrite = nullptr;
    QLabel* LStatus = nullptr;

    void PollOnce();
    void PollEvery();
    void Stop();
    void Write();

protected:
    void done(int result) override;

private:
    bool openLine();
    void startRound();
    void showImage(const QByteArray& image);
    void setStatus(int tableRow, const QString& status, const QString& values);

    AppContext& m_context;
    RequestPlan m_plan;
    ByteMap m_mapIn;
    MappingLimits m_limits;
    BenchLine m_line;
    std::unique_ptr<IModbusMaster> m_master;
    std::unique_ptr<BenchRound> m_round;
    QList<WriteRequest> m_pendingWrites;
    QTimer* m_timer = nullptr;
    bool m_continuous = false;
};

} // namespace velmaro
