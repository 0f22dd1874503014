#include "gsdml/ProfinetXml.h"

#include "common/AreaSizes.h"
#include "common/AtomicFile.h"
#include "common/XmlUtil.h"

namespace kv {

namespace {

// One line of the description: its leading white space as runs of tabs and
// spaces ("3T 2S" = three tabs, then two spaces), then the text.  The
// irregular indentation is what the engineering tools have always been given,
// so it is kept exactly.  A null text marks a line built in buildLine().
struct Line {
    const char* indent;
    const char* text;
};

const Line kLines[] = {
    {"", R"(<?xml version="1.0" encoding="iso-8859-1"?>)"}, // 1
    {"", R"(<!-- A fieldbus integration example. -->)"}, // 2
    {"", nullptr}, // 3
    {"1T", R"(<ProfileHeader>)"}, // 4
    {"2T", R"(<ProfileIdentification>PROFINET Device Profile</ProfileIdentification>)"}, // 5
    {"2T", R"(<ProfileRevision>1.00</ProfileRevision>)"}, // 6
    {"2T", R"(<ProfileName>Device Profile for PROFINET Devices</ProfileName>)"}, // 7
    {"2T", R"(<ProfileSource>PROFIBUS Nutzerorganisation e. V. (PNO)</ProfileSource>)"}, // 8
    {"2T", R"(<ProfileClassID>Device</ProfileClassID>)"}, // 9
    {"2T", R"(<ISO15745Reference>)"}, // 10
    {"3T", R"(<ISO15745Part>4</ISO15745Part>)"}, // 11
    {"3T", R"(<ISO15745Edition>1</ISO15745Edition>)"}, // 12
    {"3T", R"(<ProfileTechnology>GSDML</ProfileTechnology>)"}, // 13
    {"2T", R"(</ISO15745Reference>)"}, // 14
    {"1T", R"(</ProfileHeader>)"}, // 15
    {"1T", R"(<ProfileBody>)"}, // 16
    {"2T", R"(<DeviceIdentity VendorID="0x1111" DeviceID="0x019A">)"}, // 17
    {"3T", R"(<InfoText TextId="IDT_INFO_Device"/>)"}, // 18
    {"3T", R"(<VendorName Value="TolvexNet"/>)"}, // 19
    {"2T", R"(</DeviceIdentity>)"}, // 20
    {"2T", R"(<DeviceFunction>)"}, // 21
    {"3T", R"(<Family MainFamily="Gateway" ProductFamily="KD52013"/>)"}, // 22
    {"2T", R"(</DeviceFunction>)"}, // 23
    {"2T", R"(<ApplicationProcess>)"}, // 24
    {"3T", R"(<DeviceAccessPointList>)"}, // 25
    {"3T 2S", nullptr}, // 26
    {"5T", R"(<ModuleInfo>)"}, // 27
    {"6T", R"(<Name TextId="IDT_NAME_DAP1"/>)"}, // 28
    {"6T", R"(<InfoText TextId="IDT_INFO_DAP1"/>)"}, // 29
    {"6T", R"(<VendorName Value="TolvexNet"/>)"}, // 30
    {"6T", R"(<OrderNumber Value="KD52013-A1"/>)"}, // 31
    {"5T", R"(</ModuleInfo>)"}, // 32
    {"5T", R"(<SubslotList>)"}, // 33
    {"6T", R"(<SubslotItem SubslotNumber="0" TextId="IDT_SUBSLOT_1"/>)"}, // 34
    {"6T", R"(<SubslotItem SubslotNumber="32768" TextId="IDT_SUBSLOT_Interface"/>)"}, // 35
    {"6T", R"(<SubslotItem SubslotNumber="32769" TextId="IDT_SUBSLOT_Port1"/>)"}, // 36
    {"6T", R"(<SubslotItem SubslotNumber="32770" TextId="IDT_SUBSLOT_Port2"/>)"}, // 37
    {"5T", R"(</SubslotList>)"}, // 38
    {"5T", R"(<IOConfigData MaxInputLength="1440" MaxOutputLength="1440" MaxDataLength="2880"/>)"}, // 39
    {"5T", R"(<UseableModules>)"}, // 40
    {"6T", R"(<ModuleItemRef ModuleItemTarget="IDM_1" FixedInSlots="1"/>)"}, // 41
    {"5T", R"(</UseableModules>)"}, // 42
    {"5T", R"(<VirtualSubmoduleList>)"}, // 43
    {"6T", R"(<VirtualSubmoduleItem ID="IDS_V1" SubmoduleIdentNumber="0x00000000" >)"}, // 44
    {"5T 4S", R"(<IOData IOPS_Length="1" IOCS_Length="1"/>)"}, // 45
    {"7T", R"(<ModuleInfo>)"}, // 46
    {"8T", R"(<Name TextId="IDT_NAME_VS1"/>)"}, // 47
    {"8T", R"(<InfoText TextId="IDT_INFO_VS1"/>)"}, // 48
    {"7T", R"(</ModuleInfo>)"}, // 49
    {"6T", R"(</VirtualSubmoduleItem>)"}, // 50
    {"5T", R"(</VirtualSubmoduleList>)"}, // 51
    {"5T", R"(<SystemDefinedSubmoduleList>)"}, // 52
    {"6T", R"(<InterfaceSubmoduleItem ID="IDS_I" SubmoduleIdentNumber="0x00000001" SubslotNumber="32768" TextId="IDT_NAME_IS" SupportedRT_Classes="RT_CLASS_1" SupportedProtocols="SNMP;LLDP" SupportedMibs="MIB2">)"}, // 53
    {"7T", R"(<ApplicationRelations>)"}, // 54
    {"8T", R"(<TimingProperties SendClock="32" ReductionRatio="1 2 4 8 16 32 64 128 256 512"/>)"}, // 55
    {"7T", R"(</ApplicationRelations>)"}, // 56
    {"6T", R"(</InterfaceSubmoduleItem>)"}, // 57
    {"6T", R"(<PortSubmoduleItem ID="IDS_P1" SubmoduleIdentNumber="0x00000002" SubslotNumber="32769" TextId="IDT_NAME_PS1" MaxPortRxDelay="350" MaxPortTxDelay="160"/>)"}, // 58
    {"6T", R"(<PortSubmoduleItem ID="IDS_P2" SubmoduleIdentNumber="0x00000002" SubslotNumber="32770" TextId="IDT_NAME_PS2" MaxPortRxDelay="350" MaxPortTxDelay="160"/>)"}, // 59
    {"5T", R"(</SystemDefinedSubmoduleList>)"}, // 60
    {"5T", R"(<!-- This element tells the engineering tool that the DAP supports fieldbus integration (slot clusters). -->)"}, // 61
    {"5T", R"(<!-- FieldbusIntegrationSlots MaxSupported="127" Range="100..9999"/-->)"}, // 62
    {"4T", R"(</DeviceAccessPointItem>)"}, // 63
    {"3T", R"(</DeviceAccessPointList>)"}, // 64
    {"3T", R"(<ModuleList>)"}, // 65
    {"4T", R"(<!-- The "normal" module carrying the FAP. -->)"}, // 66
    {"4T", R"(<ModuleItem ID="IDM_1" ModuleIdentNumber="0x00000001">)"}, // 67
    {"5T", R"(<ModuleInfo>)"}, // 68
    {"6T", R"(<Name TextId="IDT_NAME_M1"/>)"}, // 69
    {"6T", R"(<InfoText TextId="IDT_INFO_M1"/>)"}, // 70
    {"6T", R"(<OrderNumber Value="12345-0040-M"/>)"}, // 71
    {"5T", R"(</ModuleInfo>)"}, // 72
    {"5T", R"(<VirtualSubmoduleList>)"}, // 73
    {"3T 2S 2T", R"(<VirtualSubmoduleItem ID="IDM_1" SubmoduleIdentNumber="0x00000001" >)"}, // 74
    {"3T 2S 2T 2S", R"(<IOData IOPS_Length="1" IOCS_Length="1" >)"}, // 75
    {"3S 3T 2S 2T 5S", nullptr}, // 76
    {"3T 2S 2T 5S", nullptr}, // 77
    {"3T 2S 2T 2S", R"(</IOData>)"}, // 78
    {"3T 2S 1T 3S 1T 2S", R"(<RecordDataList>)"}, // 79
    {"44S", R"(<ParameterRecordDataItem Index="128" Length="2" >)"}, // 80
    {"6T", R"(<Name TextId="IDT_NAME_M1_IDT_REF_channel"/>)"}, // 81
    {"48S", R"(<Const ByteOffset="0" Data="0x00,0x00"/>)"}, // 82
    {"48S", R"(<Ref TextId="IDT_REF_reaction_to_cpu_stop" Visible="true" DataType="BitArea" ByteOffset="0" BitOffset="0" BitLength="2" DefaultValue="2" AllowedValues="0..2" ValueItemTarget="IDV_reaction_to_cpu_stop" ID="IDT_REF_reaction_to_cpu_stop" />)"}, // 83
    {"47S", R"(<MenuList>)"}, // 84
    {"22S 3T 10S", R"(<MenuItem ID="IDT_NAME_M1_IDT_REF_channel">)"}, // 85
    {"7T", R"(<Name TextId="IDT_NAME_M1_IDT_REF_channel"/>)"}, // 86
    {"7T", R"(<MenuRef MenuTarget="IDT_NAME_M1_Base_Parameters"/>)"}, // 87
    {"6T 2S", R"(</MenuItem>)"}, // 88
    {"6T 2S", R"(<MenuItem ID="IDT_NAME_M1_Base_Parameters">)"}, // 89
    {"7T", R"(<Name TextId="IDT_NAME_M1_Base_Parameters"/>)"}, // 90
    {"7T", R"(<ParameterRef ParameterTarget="IDT_REF_reaction_to_cpu_stop"/>)"}, // 91
    {"6T 2S", R"(</MenuItem>)"}, // 92
    {"5T 7S", R"(</MenuList>)"}, // 93
    {"43S", R"(</ParameterRecordDataItem>)"}, // 94
    {"38S", R"(</RecordDataList>)"}, // 95
    {"3T 2S 1T 4S", R"(<ModuleInfo>)"}, // 96
    {"3T 2S 1T 2S 1T 2S", R"(<Name TextId="IDT_NAME_M1"/>)"}, // 97
    {"3T 2S 2T 4S", R"(<InfoText TextId="IDT_INFO_M1"/>)"}, // 98
    {"1T 3S 2T 2S 1T 2S", R"(</ModuleInfo>)"}, // 99
    {"2T 5S 2T", R"(</VirtualSubmoduleItem>)"}, // 100
    {"5T", R"(</VirtualSubmoduleList>)"}, // 101
    {"4T", R"(</ModuleItem>)"}, // 102
    {"3T", R"(</ModuleList>)"}, // 103
    {"9S", R"(<ValueList>)"}, // 104
    {"4T 1S", R"(<ValueItem ID="IDV_reaction_to_cpu_stop">)"}, // 105
    {"5T", R"(<Assignments>)"}, // 106
    {"6T", R"(<Assign TextId="IDT_ASSIGN_do_set_substitude_values" Content="0"/>)"}, // 107
    {"6T", R"(<Assign TextId="IDT_ASSIGN_do_values_will_hold" Content="1"/>)"}, // 108
    {"6T", R"(<Assign TextId="IDT_ASSIGN_do_continue_counting" Content="2"/>)"}, // 109
    {"5T", R"(</Assignments>)"}, // 110
    {"3T 8S", R"(</ValueItem>)"}, // 111
    {"9S", R"(</ValueList>)"}, // 112
    {"3T", R"(<CategoryList>)"}, // 113
    {"4T", R"(<CategoryItem ID="IDC_DI" TextId="IDT_CATEGORY_DI">)"}, // 114
    {"5T", R"(<InfoText TextId="IDT_INFO_DI"/>)"}, // 115
    {"4T", R"(</CategoryItem>)"}, // 116
    {"4T", R"(<CategoryItem ID="IDC_DO" TextId="IDT_CATEGORY_DO">)"}, // 117
    {"5T", R"(<InfoText TextId="IDT_INFO_DO"/>)"}, // 118
    {"4T", R"(</CategoryItem>)"}, // 119
    {"3T", R"(</CategoryList>)"}, // 120
    {"3T", R"(<ExternalTextList>)"}, // 121
    {"4T", R"(<PrimaryLanguage>)"}, // 122
    {"5T", R"(<Text TextId="IDT_INFO_Device" Value="Tolvex Gateways"/>)"}, // 123
    {"5T", R"(<Text TextId="IDT_NAME_DAP1" Value="SNMPMaste"/>)"}, // 124
    {"5T", R"(<Text TextId="IDT_INFO_DAP1" Value="SNMP Adapter"/>)"}, // 125
    {"5T", R"(<Text TextId="IDT_SUBSLOT_1" Value="Subslot 1"/>)"}, // 126
    {"5T", R"(<Text TextId="IDT_SUBSLOT_Interface" Value="Interface"/>)"}, // 127
    {"5T", R"(<Text TextId="IDT_SUBSLOT_Port1" Value="Port 1"/>)"}, // 128
    {"5T", R"(<Text TextId="IDT_SUBSLOT_Port2" Value="Port 2"/>)"}, // 129
    {"5T", R"(<Text TextId="IDT_RECORD_NAME_Head" Value="Parameters of head module"/>)"}, // 130
    {"5T", R"(<Text TextId="IDT_REF_Power" Value="Percent power"/>)"}, // 131
    {"5T", R"(<Text TextId="IDT_NAME_VS1" Value="Submodule V1"/>)"}, // 132
    {"5T", R"(<Text TextId="IDT_INFO_VS1" Value="Description of submodule V1"/>)"}, // 133
    {"5T", R"(<Text TextId="IDT_NAME_IS" Value="I"/>)"}, // 134
    {"5T", R"(<Text TextId="IDT_NAME_PS1" Value="P1"/>)"}, // 135
    {"5T", R"(<Text TextId="IDT_NAME_PS2" Value="P2"/>)"}, // 136
    {"5T", R"(<Text TextId="IDT_NAME_M1" Value="Module"/>)"}, // 137
    {"5T", R"(<Text TextId="IDT_INFO_M1" Value="device SNMPMaster"/>)"}, // 138
    {"5T", R"(<Text TextId="IDT_NAME_FAP" Value="FAP for SNMPMaster"/>)"}, // 139
    {"5T", R"(<Text TextId="IDT_INFO_FAP" Value="Description of FAP for SNMPMaster"/>)"}, // 140
    {"5T", R"(<Text TextId="IDT_RECORD_NAME_SlotCluster" Value="Parameters of the FAP"/>)"}, // 141
    {"5T", R"(<Text TextId="IDT_REF_SlotClusterBegin" Value="Beginning of slot cluster"/>)"}, // 142
    {"5T", R"(<Text TextId="IDT_NAME_M_PB1" Value="SNMPMaster "/>)"}, // 143
    {"5T", R"(<Text TextId="IDT_INFO_M_PB1" Value="Description of SNMPMaster"/>)"}, // 144
    {"5T", R"(<Text TextId="IDT_NAME_S_PB1" Value="Module of a SNMPMaster"/>)"}, // 145
    {"5T", R"(<Text TextId="IDT_INFO_S_PB1" Value="Description of module of a SNMPMaster"/>)"}, // 146
    {"5T", R"(<Text TextId="IDT_PB_Input" Value="Digital input SNMPMaster"/>)"}, // 147
    {"5T", R"(<Text TextId="IDT_PB_InputBit0" Value="Digital input bit SNMPMaster"/>)"}, // 148
    {"5T", R"(<Text TextId="IDT_NAME_S1" Value="Submodule 1"/>)"}, // 149
    {"5T", R"(<Text TextId="IDT_INFO_S1" Value="Description of submodule 1"/>)"}, // 150
    {"5T", R"(<Text TextId="IDT_Input_1" Value="Input byte"/>)"}, // 151
    {"5T", R"(<Text TextId="IDT_Output_1" Value="Output word"/>)"}, // 152
    {"5T", R"(<Text TextId="IDT_CATEGORY_DI" Value="Digital Input"/>)"}, // 153
    {"5T", R"(<Text TextId="IDT_INFO_DI" Value="Description of digital input"/>)"}, // 154
    {"5T", R"(<Text TextId="IDT_CATEGORY_DO" Value="Digital output"/>)"}, // 155
    {"5T", R"(<Text TextId="IDT_INFO_DO" Value="Description of digital output"/>)"}, // 156
    {"5T", R"(<Text TextId="IDT_NAME_M1_IDT_REF_channel" Value="Canale x"/>)"}, // 157
    {"10S", R"(<Text TextId="IDT_REF_reaction_to_cpu_stop" Value="Reaction to CPU STOP"/>)"}, // 158
    {"10S", R"(<Text TextId="IDT_NAME_M1_Base_Parameters" Value="Base Parameters"/>)"}, // 159
    {"10S", R"(<Text Value="Output substitute value" TextId="IDT_ASSIGN_do_set_substitude_values"/>)"}, // 160
    {"5T", R"(<Text Value="Keep last value" TextId="IDT_ASSIGN_do_values_will_hold"/>)"}, // 161
    {"5T", R"(<Text Value="Continue operation" TextId="IDT_ASSIGN_do_continue_counting"/>)"}, // 162
    {"4T", R"(</PrimaryLanguage>)"}, // 163
    {"3T", R"(</ExternalTextList>)"}, // 164
    {"2T", R"(</ApplicationProcess>)"}, // 165
    {"1T", R"(</ProfileBody>)"}, // 166
    {"", R"(</ISO15745Profile>)"}, // 167
};

constexpr int kLineCount = int(sizeof(kLines) / sizeof(kLines[0]));
static_assert(kLineCount == 167, "the description has 167 lines");

const char kGsdmlNamespace[] = "http://www.profibus.com/GSDML/2003/11/DeviceProfile";

void appendIndent(QByteArray& out, const char* code)
{
    int count = 0;
    for (const char* p = code; *p; ++p) {
        if (*p >= '0' && *p <= '9')
            count = count * 10 + (*p - '0');
        else if (*p == 'T' || *p == 'S') {
            out.append(count, *p == 'T' ? '\t' : ' ');
            count = 0;
        }
    }
}

// Lines 3, 26, 76 and 77 (1-based); the counts are crossed on purpose: the
// device's Input item carries what the user calls output bytes.
QByteArray buildLine(int number, const ProfinetParams& p)
{
    QByteArray s;
    switch (number) {
    case 3:
        s += "<ISO15745Profile xmlns=\"";
        s += kGsdmlNamespace;
        s += "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"";
        s += kGsdmlNamespace;
        s += " ..\\xsd\\GSDML-DeviceProfile-v2.31.xsd\">";
        break;
    case 26: {
        const QByteArray name = EscapeXmlAttribute(p.StationName).toUtf8();
        s += "<DeviceAccessPointItem PNIO_Version=\"V2.3\" RequiredSchemaVersion=\"V2.25\" ID=\"IDD_1\" "
             "PhysicalSlots=\"0..4\" ModuleIdentNumber=\"0x00000001\" MinDeviceInterval=\"64\" ImplementationType=\"";
        s += name;
        s += "\" DNS_CompatibleName=\"";
        s += name;
        s += "\" FixedInSlots=\"0\"";
        s += " ObjectUUID_LocalIndex=\"1\" MultipleWriteSupported=\"true\" MaxSupportedRecordSize=\"8192\" "
             "ParameterizationSpeedupSupported=\"true\" PowerOnToCommReady=\"350\" DeviceAccessSupported=\"true\" "
             "SharedDeviceSupported=\"true\" CheckDeviceID_Allowed=\"false\"";
        s += " NameOfStationNotTransferable=\"true\">";
        break;
    }
    case 76:
        s += "<Input> <DataItem DataType=\"OctetString\" Length=\"";
        s += QByteArray::number(p.OutputBytes);
        s += "\" TextId=\"IDT_Input_1\"/> </Input>";
        break;
    case 77:
        s += "<Output><DataItem DataType=\"OctetString\" Length=\"";
        s += QByteArray::number(p.InputBytes);
        s += "\" TextId=\"IDT_Output_1\"/></Output>";
        break;
    default:
        Q_UNREACHABLE();
    }
    return s;
}

} // namespace

QString EscapeXmlAttribute(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\'': out += QLatin1String("&apos;"); break;
        default: out += c;
        }
    }
    return out;
}

bool Read_Profinet_Param(const QString& parGenPath, ProfinetParams& params, QString* error)
{
    params = ProfinetParams();
    pugi::xml_document doc;
    const XmlLoad load = LoadXmlFile(parGenPath, doc);
    if (load.status == XmlLoad::Missing)
        return true;
    if (!load.ok()) {
        if (error)
            *error = load.message;
        return false;
    }
    // The first top-level node is taken as the root, whatever it is.
    const pugi::xml_node root = FirstTopNode(doc);
    const AreaSizes sizes = ReadAreaSizes(root);
    params.InputBytes = sizes.in;
    params.OutputBytes = sizes.out;
    QString name;
    if (ChildText(root, "PROFINET_NAME_STA", name) && !name.isEmpty())
        params.StationName = name;
    return true;
}

QByteArray Profinet_XML_Bytes(const ProfinetParams& params)
{
    QByteArray out("\xEF\xBB\xBF");
    out.reserve(10 * 1024);
    for (int i = 0; i < kLineCount; ++i) {
        appendIndent(out, kLines[i].indent);
        if (kLines[i].text)
            out += kLines[i].text;
        else
            out += buildLine(i + 1, params);
        out += "\r\n";
    }
    return out;
}

ProfinetWriteResult Write_Profinet_XML(const QString& parGenPath, const QString& targetPath)
{
    ProfinetWriteResult r;
    ProfinetParams params;
    if (!Read_Profinet_Param(parGenPath, params, &r.message)) {
        r.status = ProfinetWriteResult::ReadError;
        return r;
    }
    if (!WriteFileAtomic(targetPath, Profinet_XML_Bytes(params), &r.message))
        r.status = ProfinetWriteResult::WriteError;
    return r;
}

} // namespace kv
