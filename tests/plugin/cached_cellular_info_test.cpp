// The cached device state as the device manager fills it and the host reads it (the end-to-end card
// information test reads the usual values at the host's offsets).
#include "plugin/cached_cellular_info.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "plugin_test_host.h"
#include "vesk/values.h"

namespace plugin_test {
namespace {

using CachedInfoTest = ScaledPluginHostTest<>;

// A host buffer filled with garbage, so a missing terminator shows.
struct Buffer {
  Buffer() { std::fill(std::begin(text), std::end(text), u'#'); }
  std::u16string str() const { return std::u16string(text, std::find(text, text + kHostTextLength, u'\0')); }
  HostText text;
};

struct RevisionCase {
  std::u16string text;
  std::u16string revision;
  std::u16string tag;
};

class FirmwareRevisionTest : public CachedInfoTest, public testing::WithParamInterface<RevisionCase> {};

TEST_P(FirmwareRevisionTest, SplitsAtRunsOfBrackets) {
  sdk_->SetFirmwareRevision(u"stale [old]");
  sdk_->SetFirmwareRevision(GetParam().text.c_str());
  Buffer revision, tag;
  sdk_->GetCachedFirmwareRevision(revision.text);
  sdk_->GetFirmwareRevisionTag(tag.text);
  EXPECT_EQ(std::pair(revision.str(), tag.str()), std::pair(GetParam().revision, GetParam().tag));
}

INSTANTIATE_TEST_SUITE_P(Revisions, FirmwareRevisionTest,
                         testing::Values(RevisionCase{u"[[lead]]][rest[third]", u"lead", u"rest"},
                                         RevisionCase{u"[]][", u"", u""}));

// One text field reached through its setter and getter.
struct TextField {
  void (CCellularSDK::*set)(const char16_t*);
  void (CCellularSDK::*get)(char16_t*);
};

class TextFieldTest : public CachedInfoTest, public testing::WithParamInterface<TextField> {};

TEST_P(TextFieldTest, OverlongTextIsCutAndTerminatedAndNullClears) {
  const std::u16string longText(400, u'x');
  (sdk_.get()->*GetParam().set)(longText.c_str());
  Buffer cut;
  (sdk_.get()->*GetParam().get)(cut.text);
  EXPECT_EQ(cut.str(), std::u16string(kCachedTextLength - 1, u'x'));

  (sdk_.get()->*GetParam().set)(nullptr);
  Buffer cleared;
  (sdk_.get()->*GetParam().get)(cleared.text);
  EXPECT_EQ(cleared.str(), u"");
  (sdk_.get()->*GetParam().get)(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TextFieldTest,
    testing::Values(TextField{&CCellularSDK::SetAdapterText, &CCellularSDK::GetAdapterText},
                    TextField{&CCellularSDK::SetFirmwareRevision, &CCellularSDK::GetCachedFirmwareRevision}));

struct ConnectionRow {
  uint32_t technology;
  std::u16string name;
};

class ActiveConnectionTest : public CachedInfoTest, public testing::WithParamInterface<ConnectionRow> {};

TEST_P(ActiveConnectionTest, ACdmaConnectionIsNamedAfterItsTechnology) {
  sdk_->WithInfo([](CachedCellularInfo& info) { info.technology = GetParam().technology; });
  CachedActiveConnection connection{};
  CopyCachedText(connection.name, u"apn.test");
  sdk_->SetActiveConnection(&connection);
  // Null records are ignored, and change nothing.
  sdk_->SetActiveConnection(nullptr);
  sdk_->GetActiveConnection(nullptr);
  sdk_->SetCachedDefaultProfile(nullptr);
  sdk_->GetCachedDefaultProfile(nullptr);
  CachedActiveConnection stored{};
  sdk_->GetActiveConnection(&stored);
  EXPECT_EQ(CachedTextView(stored.name), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Technologies, ActiveConnectionTest,
                         testing::Values(ConnectionRow{TECHNOLOGY_CDMA, u"CDMA"},
                                         ConnectionRow{TECHNOLOGY_UMTS, u"apn.test"}));

class ResetTest : public CachedInfoTest, public testing::WithParamInterface<uint32_t> {};

TEST_P(ResetTest, ClearsEverythingAndReportsOnlyClearedDeviceState) {
  ASSERT_TRUE(sdk_->Open());
  sdk_->SetAdapterText(u"Vesk Modem");
  sdk_->SetHomeNetworkCode(310, 260);
  const uint32_t bits = GetParam();
  sdk_->WithInfo([bits](CachedCellularInfo& info) {
    info.deviceStateBits = bits;
    info.bytesReceived = 1ull << 40;
  });
  sdk_->ResetCachedInfo();
  ASSERT_TRUE(sdk_->Close());

  EXPECT_EQ(sink_.Codes(), OpenClose(bits != 0 ? std::vector{WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE}
                                               : std::vector<int32_t>{}));
  for (const auto& notification : sink_.Notifications()) {
    EXPECT_EQ(notification.param1 | notification.param2, 0u) << notification.code;
  }
  sdk_->WithInfo([](const CachedCellularInfo& info) {
    EXPECT_EQ(std::tuple(info.deviceStateBits, info.bytesReceived, CachedTextView(info.adapterText),
                         CachedTextView(info.homeNetworkCode)),
              std::tuple(0u, 0ull, u"", u""));
  });
}

INSTANTIATE_TEST_SUITE_P(DeviceStateBits, ResetTest, testing::Values(0u, 0x8u | 0x2u));

}  // namespace
}  // namespace plugin_test
