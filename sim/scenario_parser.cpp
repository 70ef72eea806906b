#include "sim/scenario_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <optional>

#include "sim/entry_names.h"
#include "sim/event_line.h"
#include "sim/scenario_text.h"
#include "sim/sms_pdu.h"

namespace vesksim {
namespace {

// A key's setter: reads the value into the modem, or returns false for a bad value.
using ModemKey = std::function<bool(Modem&, std::string_view)>;
using KeyTable = std::map<std::string, ModemKey, std::less<>>;

template <typename T>
ModemKey Number(T Modem::*member, int64_t low, int64_t high) {
  return [member, low, high](Modem& modem, std::string_view value) {
    const auto number = ParseInRange(value, low, high);
    if (number) {
      modem.*member = static_cast<T>(*number);
    }
    return number.has_value();
  };
}

ModemKey U32(uint32_t Modem::*member) {
  return Number(member, 0, UINT32_MAX);
}
ModemKey U16(uint16_t Modem::*member) {
  return Number(member, 0, UINT16_MAX);
}

ModemKey Text(std::string Modem::*member, size_t maxLength = 255) {
  return [member, maxLength](Modem& modem, std::string_view value) {
    if (value.size() > maxLength) {
      return false;
    }
    modem.*member = std::string(value);
    return true;
  };
}

// "none" stands for an empty text where an empty value would look like a mistake.
ModemKey OptionalText(std::string Modem::*member) {
  return [member](Modem& modem, std::string_view value) {
    modem.*member = value == "none" ? std::string() : std::string(value);
    return value.size() <= 255;
  };
}

ModemKey Flag(bool Modem::*member) {
  return [member](Modem& modem, std::string_view value) {
    const auto flag = ParseBool(value);
    if (flag) {
      modem.*member = *flag;
    }
    return flag.has_value();
  };
}

ModemKey FlagAsNumber(uint32_t Modem::*member) {
  return [member](Modem& modem, std::string_view value) {
    const auto flag = ParseBool(value);
    if (flag) {
      modem.*member = *flag ? 1 : 0;
    }
    return flag.has_value();
  };
}

template <typename S, typename T>
ModemKey Nested(S Modem::*outer, T S::*inner, int64_t low, int64_t high) {
  return [outer, inner, low, high](Modem& modem, std::string_view value) {
    const auto number = ParseInRange(value, low, high);
    if (number) {
      modem.*outer.*inner = static_cast<T>(*number);
    }
    return number.has_value();
  };
}

template <typename S>
ModemKey NestedText(S Modem::*outer, std::string S::*inner) {
  return [outer, inner](Modem& modem, std::string_view value) {
    modem.*outer.*inner = std::string(value);
    return value.size() <= 255;
  };
}

ModemKey AcceptedText(std::optional<std::string> Modem::*member) {
  return [member](Modem& modem, std::string_view value) {
    modem.*member = std::string(value);
    return value.size() <= 255;
  };
}

ModemKey Address(uint32_t Profile::*member) {
  return [member](Modem& modem, std::string_view value) {
    const auto address = ParseDottedAddress(value);
    if (address) {
      modem.defaultProfile.*member = *address;
    }
    return address.has_value();
  };
}

// A PIN status number, -1 standing for unknown.
ModemKey PinStatusKey(SimPin Modem::*pin) {
  return [pin](Modem& modem, std::string_view value) {
    const auto number = ParseInRange(value, -1, 5);
    if (number) {
      (modem.*pin).status = static_cast<uint32_t>(*number);
    }
    return number.has_value();
  };
}

ModemKey PinRetries(SimPin Modem::*pin, bool unblock) {
  return [pin, unblock](Modem& modem, std::string_view value) {
    const auto number = ParseInRange(value, 0, 99);
    if (number) {
      const auto count = static_cast<uint32_t>(*number);
      SimPin& p = modem.*pin;
      (unblock ? p.maxUnblockRetries : p.maxRetries) = count;
      (unblock ? p.unblockRetries : p.retries) = count;
    }
    return number.has_value();
  };
}

template <typename T>
ModemKey NumberList(std::vector<T> Modem::*member, int64_t low, int64_t high) {
  return [member, low, high](Modem& modem, std::string_view value) {
    std::vector<T> list;
    for (std::string_view word : Words(value)) {
      const auto number = ParseInRange(word, low, high);
      if (!number) {
        return false;
      }
      list.push_back(static_cast<T>(*number));
    }
    modem.*member = list;
    return true;
  };
}

bool ParseSignals(Modem& modem, std::string_view value) {
  std::vector<SignalReading> list;
  for (std::string_view word : Words(value)) {
    const size_t colon = word.find(':');
    const auto dbm = ParseInRange(word.substr(0, colon), -128, 127);
    const auto iface =
        colon == std::string_view::npos ? std::nullopt : ParseInRange(word.substr(colon + 1), 0, UINT32_MAX);
    if (!dbm || !iface) {
      return false;
    }
    list.push_back({static_cast<int8_t>(*dbm), static_cast<uint32_t>(*iface)});
  }
  modem.signals = list;
  return true;
}

// "LATITUDE LONGITUDE [ALTITUDE [SATELLITES]]", degrees north and east, metres.
bool ParseTrackPoint(Modem& modem, std::string_view value) {
  const auto words = Words(value);
  if (words.size() < 2 || words.size() > 4) {
    return false;
  }
  double numbers[3] = {};
  for (size_t i = 0; i < std::min<size_t>(words.size(), 3); ++i) {
    const char* end = words[i].data() + words[i].size();
    const auto [stop, error] = std::from_chars(words[i].data(), end, numbers[i]);
    if (error != std::errc() || stop != end || !std::isfinite(numbers[i])) {
      return false;
    }
  }
  TrackPoint point{numbers[0], numbers[1], numbers[2]};
  if (words.size() == 4) {
    const auto satellites = ParseInRange(words[3], 0, 99);
    if (!satellites) {
      return false;
    }
    point.satellites = static_cast<uint32_t>(*satellites);
  }
  if (std::fabs(point.latitude) > 90.0 || std::fabs(point.longitude) > 180.0) {
    return false;
  }
  modem.nmeaTrack.push_back(point);
  return true;
}

const std::map<std::string, KeyTable, std::less<>>& ModemSections() {
  static const std::map<std::string, KeyTable, std::less<>> sections = {
      {"modem",
       {{"generation",
         [](Modem& m, std::string_view v) {
           const auto number = ParseInteger(v);
           if (!number || (*number != 1000 && *number != 2000)) {
             return false;
           }
           m.generation = static_cast<uint32_t>(*number);
           return true;
         }},
        {"device_id", Text(&Modem::deviceId)},
        {"device_key", Text(&Modem::deviceKey, 15)},
        {"present", Flag(&Modem::present)},
        {"model_id", Text(&Modem::modelId)},
        {"manufacturer", Text(&Modem::manufacturer)},
        {"firmware_revision", Text(&Modem::firmwareRevision)},
        {"amss_revision", Text(&Modem::amssRevision)},
        {"boot_revision", Text(&Modem::bootRevision)},
        {"pri_revision", Text(&Modem::priRevision)},
        {"esn", OptionalText(&Modem::esn)},
        {"imei", OptionalText(&Modem::imei)},
        {"meid", OptionalText(&Modem::meid)},
        {"spc", Text(&Modem::spc)},
        {"image_store", Text(&Modem::imageStore)},
        {"power_mode", Number(&Modem::powerMode, 0, 6)}}},
      {"firmware",
       {{"firmware_id", Nested(&Modem::firmware, &FirmwareInfo::firmwareId, 0, UINT32_MAX)},
        {"technology", Nested(&Modem::firmware, &FirmwareInfo::technology, 0, UINT32_MAX)},
        {"carrier", Nested(&Modem::firmware, &FirmwareInfo::carrier, 0, UINT32_MAX)},
        {"region", Nested(&Modem::firmware, &FirmwareInfo::region, 0, UINT32_MAX)},
        {"gps", Nested(&Modem::firmware, &FirmwareInfo::gpsCapability, 0, UINT32_MAX)}}},
      {"sim",
       {{"present", Flag(&Modem::simPresent)},
        {"pin_status", PinStatusKey(&Modem::pin1)},
        {"pin", NestedText(&Modem::pin1, &SimPin::code)},
        {"puk", NestedText(&Modem::pin1, &SimPin::puk)},
        {"pin_retries", PinRetries(&Modem::pin1, false)},
        {"puk_retries", PinRetries(&Modem::pin1, true)},
        {"pin2_status", PinStatusKey(&Modem::pin2)},
        {"pin2", NestedText(&Modem::pin2, &SimPin::code)},
        {"imsi", OptionalText(&Modem::imsi)},
        {"iccid", OptionalText(&Modem::iccid)}}},
      {"account",
       {{"voice_number", OptionalText(&Modem::voiceNumber)},
        {"min", OptionalText(&Modem::min)},
        {"activation_state", U32(&Modem::activationState)},
        {"activated_voice_number", Text(&Modem::activatedVoiceNumber)},
        {"activated_min", Text(&Modem::activatedMin)}}},
      {"radio",
       {{"signal", Nested(&Modem::signal, &SignalReading::dbm, -128, 127)},
        {"interface", Nested(&Modem::signal, &SignalReading::radioInterface, 0, UINT32_MAX)},
        {"signals", ParseSignals},
        {"data_caps", NumberList(&Modem::dataCaps, 0, UINT32_MAX)},
        {"network_preference", U32(&Modem::networkPreference)},
        {"network_preference_duration", U32(&Modem::networkPreferenceDuration)},
        {"persistent_network_preference", U32(&Modem::persistentNetworkPreference)}}},
      {"network",
       {{"home_mcc", U16(&Modem::homeMcc)},
        {"home_mnc", U16(&Modem::homeMnc)},
        {"home_name", OptionalText(&Modem::homeName)},
        {"home_sid", U16(&Modem::homeSid)},
        {"home_nid", U16(&Modem::homeNid)},
        {"registration", U32(&Modem::registrationState)},
        {"cs_domain", U32(&Modem::csDomain)},
        {"ps_domain", U32(&Modem::psDomain)},
        {"ran", U32(&Modem::ran)},
        {"radio_interfaces", NumberList(&Modem::radioInterfaces, 0, 255)},
        {"roaming", U32(&Modem::roaming)},
        {"serving_mcc", U16(&Modem::servingMcc)},
        {"serving_mnc", U16(&Modem::servingMnc)},
        {"serving_name", OptionalText(&Modem::servingName)}}},
      {"session",
       {{"state", Number(&Modem::sessionState, 1, 4)},
        {"autoconnect", U32(&Modem::autoconnect)},
        {"profile_name", NestedText(&Modem::defaultProfile, &Profile::name)},
        {"apn", NestedText(&Modem::defaultProfile, &Profile::apn)},
        {"user", NestedText(&Modem::defaultProfile, &Profile::userName)},
        {"password", NestedText(&Modem::defaultProfile, &Profile::password)},
        {"pdp_type", Nested(&Modem::defaultProfile, &Profile::pdpType, 0, UINT32_MAX)},
        {"auth", Nested(&Modem::defaultProfile, &Profile::authentication, 0, UINT32_MAX)},
        {"ip", Address(&Profile::ipAddress)},
        {"dns1", Address(&Profile::primaryDns)},
        {"dns2", Address(&Profile::secondaryDns)},
        {"start_result", U32(&Modem::startResult)},
        {"end_reason", U32(&Modem::endReason)},
        {"tx_rate", U32(&Modem::txRate)},
        {"rx_rate", U32(&Modem::rxRate)},
        {"accepted_user", AcceptedText(&Modem::acceptedUser)},
        {"accepted_password", AcceptedText(&Modem::acceptedPassword)}}},
      {"gps",
       {{"pds_enabled", FlagAsNumber(&Modem::pdsEnabled)},
        {"auto_tracking", FlagAsNumber(&Modem::serviceAutoTracking)},
        {"nmea",
         [](Modem& m, std::string_view v) {
           m.nmeaSentences.emplace_back(v);
           return !v.empty();
         }},
        {"point", ParseTrackPoint}}},
  };
  return sections;
}

bool ParseStoredSms(Modem& modem, std::string_view key, std::string_view value, uint8_t* reference,
                    std::string* error) {
  if (key != "sim" && key != "device") {
    *error = "sms storage is 'sim' or 'device'";
    return false;
  }
  uint32_t tag = 1;
  const auto words = Words(value);
  // An optional tag leads the PDU when the value holds a short first word.
  if (words.size() > 1 && words[0].size() == 1) {
    const auto number = ParseInRange(words[0], 0, 3);
    if (!number) {
      *error = "bad tag";
      return false;
    }
    tag = static_cast<uint32_t>(*number);
    value = Trim(value.substr(static_cast<size_t>(words[0].data() - value.data()) + words[0].size()));
  }
  const auto pdus = ParseSmsMessage(value, reference, error);
  if (!pdus) {
    return false;
  }
  auto& storage = modem.sms[key == "sim" ? 0 : 1];
  for (const auto& pdu : *pdus) {
    if (pdu.size() > 255) {
      *error = "a hex PDU is at most 255 bytes";
      return false;
    }
    const uint32_t index = storage.empty() ? 0 : storage.rbegin()->first + 1;
    storage[index] = {tag, pdu};
  }
  return true;
}

bool ParseImage(Modem& modem, std::string_view key, std::string_view value, std::string* error) {
  if (key.empty() || key.find("..") != std::string_view::npos || key.front() == '/') {
    *error = "bad image folder";
    return false;
  }
  ImageSpec image{std::string(key), value != "none", {}, {}};
  if (const auto words = Words(value); words.size() == 2 && words[0] == "link") {
    image.hasImage = false;
    image.linkTarget = std::string(words[1]);
  } else if (image.hasImage) {
    const auto words = Words(value);
    uint32_t numbers[5];
    if (words.size() != 5) {
      *error = "an image is 'FIRMWARE_ID TECHNOLOGY CARRIER REGION GPS', 'none' or 'link TARGET'";
      return false;
    }
    for (size_t i = 0; i < 5; ++i) {
      const auto number = ParseInRange(words[i], 0, UINT32_MAX);
      if (!number) {
        *error = "bad number '" + std::string(words[i]) + "'";
        return false;
      }
      numbers[i] = static_cast<uint32_t>(*number);
    }
    image.info = {numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]};
  }
  modem.images.push_back(image);
  return true;
}

bool ParseTiming(Timing& timing, std::string_view key, std::string_view value, std::string* error) {
  static const std::map<std::string, uint32_t Timing::*, std::less<>> keys = {
      {"authenticate_ms", &Timing::authenticateMs},
      {"connect_ms", &Timing::connectMs},
      {"stop_ms", &Timing::stopMs},
      {"restart_ms", &Timing::restartMs},
      {"activation_step_ms", &Timing::activationStepMs},
      {"nmea_ms", &Timing::nmeaMs},
      {"reconnect_ms", &Timing::reconnectMs}};
  const auto it = keys.find(key);
  if (it == keys.end()) {
    *error = "unknown key '" + std::string(key) + "'";
    return false;
  }
  const auto number = ParseInRange(value, it->first == "nmea_ms" ? 1 : 0, 3600000);
  if (!number) {
    *error = "bad duration";
    return false;
  }
  timing.*(it->second) = static_cast<uint32_t>(*number);
  return true;
}

bool ParseFault(Scenario& scenario, std::string_view key, std::string_view value, std::string* error) {
  const auto words = Words(value);
  const auto result = words.empty() ? std::nullopt : ParseInRange(words[0], 0, UINT32_MAX);
  std::optional<int64_t> times = 1;
  if (words.size() == 2) {
    times =
        words[1] == "always" ? std::optional<int64_t>(UINT32_MAX) : ParseInRange(words[1], 1, UINT32_MAX - 1);
  }
  if (!result || !times || words.size() > 2) {
    *error = "a fault is 'RESULT [TIMES|always]'";
    return false;
  }
  scenario.faults[std::string(key)] = {static_cast<uint32_t>(*result), static_cast<uint32_t>(*times)};
  return true;
}

bool ParseDelay(Scenario& scenario, std::string_view key, std::string_view value, std::string* error) {
  const auto ms = value == "block" ? std::optional<int64_t>(UINT32_MAX) : ParseInRange(value, 0, 3600000);
  if (!ms) {
    *error = "a delay is 'MILLISECONDS' or 'block'";
    return false;
  }
  scenario.delays[std::string(key)] = static_cast<uint32_t>(*ms);
  return true;
}

// file = PATH, on_divergence = continue|stop, divergence_result = N, scale = FACTOR, window = CALLS,
// slack_ms = MS.
// An unknown key leaves *error empty.
bool ParseReplay(ReplaySettings& replay, std::string_view key, std::string_view value, int line,
                 std::string* error) {
  if (key == "file") {
    replay.file = std::string(value);
    replay.fileLine = line;
    *error = "the recording's file name is empty";
    return !value.empty();
  }
  if (key == "on_divergence") {
    *error = "on_divergence is 'continue' or 'stop'";
    replay.stopOnDivergence = value == "stop";
    return value == "stop" || value == "continue";
  }
  if (key == "divergence_result" || key == "window" || key == "slack_ms") {
    const auto number = ParseInRange(value, key == "window" ? 1 : 0, key == "window" ? 1000 : UINT32_MAX);
    *error = "bad value for '" + std::string(key) + "'";
    if (number) {
      (key == "window" ? replay.window : key == "slack_ms" ? replay.slackMs : replay.divergenceResult) =
          static_cast<uint32_t>(*number);
    }
    return number.has_value();
  }
  if (key == "scale") {
    double scale = 0;
    const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), scale);
    *error = "scale is a factor above 0";
    if (failure != std::errc() || end != value.data() + value.size() || !(scale > 0) || !std::isfinite(scale)) {
      return false;
    }
    replay.scale = scale;
    return true;
  }
  error->clear();
  return false;
}

}  // namespace

ParseError ParseScenario(std::string_view text, Scenario& scenario) {
  std::string section;
  size_t modemIndex = 0;
  bool firstModemHeader = true;
  uint32_t eventTime = 0;
  bool firstNmea = true;
  int lineNumber = 0;

  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == '#') {
      continue;
    }
    std::string error;
    auto fail = [&](std::string message) { return ParseError{lineNumber, std::move(message)}; };

    if (line.front() == '[') {
      if (line.back() != ']') {
        return fail("unclosed section header");
      }
      section = std::string(Trim(line.substr(1, line.size() - 2)));
      if (section == "modem") {
        if (firstModemHeader) {
          firstModemHeader = false;
        } else {
          scenario.modems.push_back(DefaultModem(scenario.modems.size()));
          modemIndex = scenario.modems.size() - 1;
        }
        firstNmea = true;
      } else if (section == "sms") {
        // A modem's [sms] replaces its built-in messages; so does [images] its images.
        for (auto& storage : scenario.modems[modemIndex].sms) {
          storage.clear();
        }
      } else if (section == "images") {
        scenario.modems[modemIndex].images.clear();
      } else if (!ModemSections().count(section) && section != "timing" && section != "faults" &&
                 section != "delays" && section != "events" && section != "replay") {
        return fail("unknown section [" + section + "]");
      }
      continue;
    }

    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      return fail("expected 'key = value'");
    }
    const std::string_view key = Trim(line.substr(0, equals));
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (key.empty()) {
      return fail("missing key");
    }
    if (section.empty()) {
      return fail("key outside a section");
    }
    Modem& modem = scenario.modems[modemIndex];

    bool ok = true;
    if (const auto it = ModemSections().find(section); it != ModemSections().end()) {
      const auto keyIt = it->second.find(key);
      if (keyIt == it->second.end()) {
        return fail("unknown key '" + std::string(key) + "' in [" + section + "]");
      }
      if (section == "gps" && key == "nmea" && firstNmea) {
        modem.nmeaSentences.clear();
        firstNmea = false;
      }
      ok = keyIt->second(modem, value);
      error = "bad value for '" + std::string(key) + "'";
    } else if (section == "sms") {
      ok = ParseStoredSms(modem, key, value, &scenario.nextSmsReference, &error);
    } else if (section == "images") {
      ok = ParseImage(modem, key, value, &error);
    } else if (section == "timing") {
      ok = ParseTiming(scenario.timing, key, value, &error);
    } else if (section == "faults" || section == "delays") {
      if (!IsEntryPointName(key)) {
        return fail("unknown entry point '" + std::string(key) + "'");
      }
      ok = section == "faults" ? ParseFault(scenario, key, value, &error)
                               : ParseDelay(scenario, key, value, &error);
    } else if (section == "replay") {
      ok = ParseReplay(scenario.replay, key, value, lineNumber, &error);
      if (!ok && error.empty()) {
        return fail("unknown key '" + std::string(key) + "' in [replay]");
      }
    } else if (section == "events") {
      if (key == "wait") {
        const auto ms = ParseInRange(value, 0, 24 * 3600000);
        ok = ms.has_value();
        error = "bad wait";
        if (ok) {
          eventTime = static_cast<uint32_t>(std::min<int64_t>(UINT32_MAX, eventTime + *ms));
        }
      } else {
        const auto event = ParseEvent(key, value, &scenario.nextSmsReference, &error);
        ok = event.has_value();
        if (ok) {
          scenario.timeline.push_back({eventTime, *event});
        }
      }
    }
    if (!ok) {
      return fail(error);
    }
  }
  // A blocked PIN has no tries left, whatever order the keys came in.
  for (Modem& modem : scenario.modems) {
    for (SimPin* pin : {&modem.pin1, &modem.pin2}) {
      if (pin->status == kPinBlocked || pin->status == kPinPermanentlyBlocked) {
        pin->retries = 0;
      }
      if (pin->status == kPinPermanentlyBlocked) {
        pin->unblockRetries = 0;
      }
    }
  }
  return {};
}

}  // namespace vesksim
