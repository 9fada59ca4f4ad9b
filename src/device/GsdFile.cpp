#include "device/GsdFile.h"

#include "base/IntegerText.h"
#include "platform/FileSystem.h"
#include "settings/CommSettings.h"

#include <QStringList>

namespace velmaro {

namespace {

// Lines 1 to 5: the title and the top of the framed header, up to the vendor name.
const char* const kHeadTop = R"gsd(;
;******************* Gateway Serial from/to ProfiBus Slave **************************
;* ================================================================================ *
;*                                                                                  *
;* Vendor:   Quorvane                                                               *)gsd";

// The vendor's contact lines, framed under the vendor name.
const char* const kContacts[] = {
    "Example Street 12",      "00000 Sampletown",       "Example Province - Exampleland",
    "Tel. : +1 202 555 0147", "FAX. : +1 202 555 0148", "eMail: support@quorvane.example",
};

// From the end of the framed header to the module count.
const char* const kBody =
    R"gsd(;*                                                                                  *
;* ================================================================================ *
;*                                                                                  *
;* Function:       Gateway Serial from/to ProfiBus Slave                            *
;*                                                                                  *
;*                                                                                  *
;* Order Number : GQ4712                                                            *
;*                                                                                  *
;*                                                                                  *
;************************************************************************************


#Profibus_DP


;====================================================================================
;==== Prm-Text-Def-List =============================================================
;====================================================================================

PrmText=1
Text(0)="disable"
Text(1)="enable"
EndPrmText

PrmText  = 2
Text(0)  = "clock up"
Text(1)  = "clock down"
EndPrmText

PrmText  = 3
Text(1)  = "10"
Text(2)  = "20"
Text(3)  = "30"
Text(4)  = "40"
Text(5)  = "50"
EndPrmText


;=====================================================================================
;==== Ext-User-Prm-Data-Def-List =====================================================
;=====================================================================================

ExtUserPrmData=1 "[SlotNumber]"
Unsigned8 0 0-32
EndExtUserPrmData

ExtUserPrmData=2 "Diagnostic Alarm"
Bit(0) 0 0-1
Prm_Text_Ref=1
EndExtUserPrmData

ExtUserPrmData=3 "Process Alarm"
Bit(1) 0 0-1
Prm_Text_Ref=1
EndExtUserPrmData

ExtUserPrmData=4 "Counter mode"
Unsigned8 0 0-1
Prm_Text_Ref=2
EndExtUserPrmData

ExtUserPrmData=5 "Counter timebase (ms)"
Unsigned8 1 1-5
Prm_Text_Ref=3
EndExtUserPrmData

ExtUserPrmData=6 "Counter high-limit"
Unsigned16 65535 0-65535
EndExtUserPrmData

ExtUserPrmData=7 "Counter low-limit"
Unsigned16 0 0-65535
EndExtUserPrmData


;=====================================================================================
;==== General DP Keywords ============================================================
;=====================================================================================

GSD_Revision = 5
Vendor_Name = "Quorvane"
Model_Name = "GQ4712"
Revision = "1.00"
Ident_Number = 0x7C4E
Protocol_Ident = 0
Station_Type = 0
FMS_supp = 0
Hardware_Release = "V1.00"
Software_Release = "V1.00"
Redundancy = 0
Repeater_Ctrl_Sig = 2
24V_Pins = 0


;==============================================================================
;==== Supported baudrates =====================================================
;==============================================================================

9.6_supp = 1
19.2_supp = 1
45.45_supp = 1
93.75_supp = 1
187.5_supp = 1
500_supp = 1
1.5M_supp = 1
3M_supp = 1
6M_supp = 1
12M_supp = 1

MaxTsdr_9.6=15
MaxTsdr_19.2=15
MaxTsdr_45.45=15
MaxTsdr_93.75=15
MaxTsdr_187.5=15
MaxTsdr_500=15
MaxTsdr_1.5M=20
MaxTsdr_3M=35
MaxTsdr_6M=50
MaxTsdr_12M=95


;==============================================================================
;==== Slave specific values ===================================================
;==============================================================================

OrderNumber="GQ4712"
Slave_Family = 9@Quorvane@GQ4712
Implementation_Type = "VPC3+"
Info_Text="Quorvane: Gateway Serial from/to ProfiBus Slave"
Bitmap_Device = "DPV0_1N"
Bitmap_SF="DPV0_1S"

Freeze_Mode_supp=1
Sync_Mode_supp=1
Fail_Safe=1
Auto_Baud_supp=1
Set_Slave_Add_supp=0

Min_Slave_Intervall=6

Modular_Station=1)gsd";

// From the diagnosis length to the module list.
const char* const kBodyTail = R"gsd(Max_Diag_Data_Len=18

WD_Base_1ms_supp = 1
Publisher_supp = 1

;==============================================================================
;==== User-Prm-Data ===========================================================
;==============================================================================

Max_User_Prm_Data_Len = 12
Ext_User_Prm_Data_Const(0)= 0x00,0x00,0x00

;==============================================================================
;==== Modulstatus =============================================================
;==============================================================================

Unit_Diag_Area = 24 - 25
Value(1)= "Slot 1: Module error"
Value(2)= "Slot 1: Wrong module"
Value(3)= "Slot 1: No module"
Unit_Diag_Area_End
Unit_Diag_Area = 26 - 27
Value(1)= "Slot 2: Module error"
Value(2)= "Slot 2: Wrong module"
Value(3)= "Slot 2: No module"
Unit_Diag_Area_End


;==============================================================================
;==== Module-Definition-List ==================================================
;==============================================================================
)gsd";

constexpr int kFrameWidth = 85;
constexpr int kModuleBytes = 64;

void AppendBlock(QStringList& lines, const char* block)
{
    lines += QString::fromLatin1(block).split(QLatin1Char('\n'));
}

// ";*", eleven blanks so the text starts under the vendor name, the text, blanks, and "*" last.
QString ContactLine(const char* text)
{
    const QString line = QStringLiteral(";*") + QString(11, QLatin1Char(' ')) + QLatin1String(text);
    return line.leftJustified(kFrameWidth - 1, QLatin1Char(' '), true) + QLatin1Char('*');
}

int ModuleCount(qint32 bytes)
{
    return (bytes + kModuleBytes - 1) / kModuleBytes;
}

// The modules of one direction: full 64-byte modules, then the last with the remaining bytes.
void AppendDirection(QList<GsdModule>& modules, bool input, qint32 bytes)
{
    const int count = ModuleCount(bytes);
    for (int i = 0; i < count; ++i) {
        GsdModule module;
        module.number = int(modules.size()) + 1;
        module.input = input;
        module.bytes = i + 1 < count ? kModuleBytes : bytes - kModuleBytes * (count - 1);
        module.identifier =
            QStringLiteral("%1,0x%2,0x00,0x0%3")
                .arg(input ? QStringLiteral("0x42") : QStringLiteral("0x82"),
                     QString::number(module.bytes - 1, 16).toUpper().rightJustified(2, QLatin1Char('0')),
                     QString::number(module.number));
        modules << module;
    }
}

// One size: 244 where the document does not supply an integer; refused outside 0..244.
Result<qint32> ReadSize(const CommSettings& settings, const char* element,
                        const std::optional<QString> CommSettings::*member)
{
    const std::optional<QString>& text = settings.*member;
    const qint32 size = ProfibusByteCount(text);
    if (size < 0 || size > kMaxGsdBytes) {
        return Result<qint32>::failure(
            QStringLiteral("The value \"%1\" of %2 is outside the range 0..%3; no GSD file was written.")
                .arg(*text, QLatin1String(element), QString::number(kMaxGsdBytes)));
    }
    return size;
}

} // namespace

Result<GsdSizes> ReadGsdSizes(const QString& pargenPath)
{
    const auto loaded = LoadCommSettings(pargenPath);
    if (!loaded.ok())
        return loaded.status();
    GsdSizes sizes;
    if (!loaded.value())
        return sizes;
    const Result<qint32> in = ReadSize(**loaded, "Profi_NB_IN", &CommSettings::Profi_NB_IN);
    if (!in.ok())
        return in.status();
    const Result<qint32> out = ReadSize(**loaded, "Profi_NB_OUT", &CommSettings::Profi_NB_OUT);
    if (!out.ok())
        return out.status();
    sizes.nbIn = *in;
    sizes.nbOut = *out;
    return sizes;
}

QList<GsdModule> GsdModules(const GsdSizes& sizes)
{
    QList<GsdModule> modules;
    AppendDirection(modules, true, sizes.nbIn);
    AppendDirection(modules, false, sizes.nbOut);
    return modules;
}

QByteArray GsdText(const GsdSizes& sizes)
{
    QStringList lines;
    AppendBlock(lines, kHeadTop);
    for (const char* contact : kContacts)
        lines << ContactLine(contact);
    AppendBlock(lines, kBody);
    lines << QStringLiteral("Max_Module=")
                 + QString::number(ModuleCount(sizes.nbIn) + ModuleCount(sizes.nbOut));
    lines << QStringLiteral("Modul_Offset=1");
    lines << QStringLiteral("Max_Input_Len=") + QString::number(sizes.nbIn);
    lines << QStringLiteral("Max_Output_Len=") + QString::number(sizes.nbOut);
    lines << QStringLiteral("Max_Data_Len=") + QString::number(sizes.nbIn + sizes.nbOut);
    AppendBlock(lines, kBodyTail);

    // Slot k holds module k.
    const QList<GsdModule> modules = GsdModules(sizes);
    for (const GsdModule& module : modules) {
        const QString n = QString::number(module.number);
        lines << QStringLiteral("Module=\"%1  (PORT%2)    \" %3")
                     .arg(module.input ? QStringLiteral("DI") : QStringLiteral("DO"), n, module.identifier);
        lines << n << QStringLiteral("EndModule");
    }
    lines << QString() << QString() << QString() << QStringLiteral("SlotDefinition");
    for (int k = 1; k <= modules.size(); ++k)
        lines << QStringLiteral("Slot(%1) = \"Slot %1\" %1 %1").arg(k);
    lines << QStringLiteral("EndSlotDefinition") << QString() << QString() << QString() << QString();

    QByteArray text;
    for (const QString& line : lines)
        text += line.toLatin1() + "\r\n";
    return text;
}

Status GenerateGsdFile(const ProjectPaths& paths, const QString& fileName)
{
    const Result<GsdSizes> sizes = ReadGsdSizes(paths.PargenXmlPath);
    if (!sizes.ok())
        return sizes.status();
    return WriteFileAtomically(fileName, GsdText(*sizes));
}

} // namespace velmaro
