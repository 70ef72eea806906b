// How the simulated modem acts on its own: data sessions, restarts, activation, the GPS feed, and
// the events of scenarios and of the control interface. Everything here runs with the state lock
// held; what reaches the module is scheduled on the event thread.
#include <algorithm>

#include "sim/nmea_feed.h"
#include "sim/simulator.h"

namespace vesksim {
namespace {

size_t Band(int8_t dbm, const std::vector<int8_t>& thresholds) {
  return static_cast<size_t>(std::count_if(thresholds.begin(), thresholds.end(),
                                           [dbm](int8_t threshold) { return dbm >= threshold; }));
}

}  // namespace

template <typename Make>
void Simulator::Notify(size_t index, Make make) {
  Schedule(0, [index, make](Simulator& s) -> Invocation {
    const Callbacks* callbacks = s.ReachableCallbacks(index);
    return callbacks != nullptr ? make(*callbacks) : Invocation();
  });
}

void Simulator::ReportSession(size_t index, uint32_t state, uint32_t reason) {
  Notify(index, [state, reason](const Callbacks& c) -> Invocation {
    const auto fn = c.sessionState;
    return fn ? Invocation([fn, state, reason] { fn(state, reason); }) : Invocation();
  });
}

void Simulator::StartSession(size_t index) {
  const uint64_t session = ++sessionEpoch_[index];
  Modem& modem = modems_[index];
  modem.bytesTx = 0;
  modem.bytesRx = 0;
  Schedule(timing_.authenticateMs, [index, session](Simulator& s) -> Invocation {
    if (s.sessionEpoch_[index] == session) {
      s.modems_[index].sessionState = kSessionAuthenticating;
      s.ReportSession(index, kSessionAuthenticating, 0);
    }
    return {};
  });
  Schedule(timing_.connectMs, [index, session](Simulator& s) -> Invocation {
    if (s.sessionEpoch_[index] != session) {
      return {};
    }
    Modem& m = s.modems_[index];
    if (m.endReason != 0) {
      m.sessionState = kSessionDisconnected;
      s.ReportSession(index, kSessionDisconnected, m.endReason);
      s.ScheduleReconnect(index, session);
      return {};
    }
    m.sessionState = kSessionConnected;
    s.ReportSession(index, kSessionConnected, 0);
    s.ScheduleByteTotals(index, session);
    return {};
  });
}

void Simulator::StopSession(size_t index, uint32_t reason) {
  const uint64_t session = ++sessionEpoch_[index];
  Schedule(timing_.stopMs, [index, session, reason](Simulator& s) -> Invocation {
    if (s.sessionEpoch_[index] == session) {
      s.modems_[index].sessionState = kSessionDisconnected;
      s.ReportSession(index, kSessionDisconnected, reason);
    }
    return {};
  });
}

void Simulator::ScheduleByteTotals(size_t index, uint64_t session) {
  const uint32_t intervalS = ReachableCallbacks(index) != nullptr ? callbacks_.byteTotalsIntervalS : 5;
  Schedule(intervalS * 1000, [index, session, intervalS](Simulator& s) -> Invocation {
    Modem& m = s.modems_[index];
    if (s.sessionEpoch_[index] != session || m.sessionState != kSessionConnected) {
      return {};
    }
    m.bytesTx += uint64_t{m.txRate} * intervalS;
    m.bytesRx += uint64_t{m.rxRate} * intervalS;
    s.ScheduleByteTotals(index, session);
    const Callbacks* c = s.ReachableCallbacks(index);
    const auto fn = c != nullptr ? c->byteTotals : nullptr;
    const uint64_t tx = m.bytesTx;
    const uint64_t rx = m.bytesRx;
    return fn ? Invocation([fn, tx, rx] { fn(tx, rx); }) : Invocation();
  });
}

void Simulator::AutoConnect(size_t index) {
  const Modem& modem = modems_[index];
  if (modem.autoconnect != 1 || !modem.present || modem.powerMode != 0 ||
      modem.sessionState != kSessionDisconnected || !HasSubscription(modem)) {
    return;
  }
  // Credentials the network refuses keep the modem trying quietly: it never reports a session state.
  const Profile& profile = modem.defaultProfile;
  if ((modem.acceptedUser && *modem.acceptedUser != profile.userName) ||
      (modem.acceptedPassword && *modem.acceptedPassword != profile.password)) {
    return;
  }
  StartSession(index);
}

void Simulator::ScheduleReconnect(size_t index, uint64_t session) {
  Schedule(timing_.reconnectMs, [index, session](Simulator& s) -> Invocation {
    if (s.sessionEpoch_[index] == session) {
      s.AutoConnect(index);
    }
    return {};
  });
}

void Simulator::ReportPower(size_t index) {
  const uint32_t mode = modems_[index].powerMode;
  Notify(index, [mode](const Callbacks& c) -> Invocation {
    const auto fn = c.power;
    return fn ? Invocation([fn, mode] { fn(mode); }) : Invocation();
  });
}

void Simulator::ReportPdsState(size_t index) {
  const uint32_t enabled = modems_[index].pdsEnabled;
  const uint32_t tracking = TrackingOn(modems_[index]) ? 1 : 0;
  Notify(index, [enabled, tracking](const Callbacks& c) -> Invocation {
    const auto fn = c.pdsState;
    return fn ? Invocation([fn, enabled, tracking] { fn(enabled, tracking); }) : Invocation();
  });
}

void Simulator::EnsureNmeaFeed() {
  if (nmeaFeedRunning_ || connected_ < 0 || connectionLost_ || callbacks_.nmea == nullptr ||
      !TrackingOn(modems_[connectedIndex()])) {
    return;
  }
  nmeaFeedRunning_ = true;
  // One tick: report a sentence (or a point's sentences) and come back a period later, until tracking or the
  // client stops.
  struct Tick {
    Invocation operator()(Simulator& s) const {
      if (s.connected_ < 0 || s.connectionLost_ || s.callbacks_.nmea == nullptr ||
          !TrackingOn(s.modems_[s.connectedIndex()])) {
        s.nmeaFeedRunning_ = false;
        return {};
      }
      const Modem& modem = s.modems_[s.connectedIndex()];
      std::vector<std::string> sentences =
          NmeaFeed(modem.nmeaSentences, modem.nmeaTrack, s.timing_.nmeaMs).Sentences(s.nmeaTick_++);
      s.Schedule(s.timing_.nmeaMs, Tick{});
      const auto fn = s.callbacks_.nmea;
      return [fn, sentences = std::move(sentences)] {
        for (const std::string& sentence : sentences) {
          fn(sentence.c_str());
        }
      };
    }
  };
  Schedule(timing_.nmeaMs, Tick{});
}

void Simulator::Remove(size_t index) {
  Modem& modem = modems_[index];
  if (!modem.present) {
    return;
  }
  modem.present = false;
  ++sessionEpoch_[index];
  modem.sessionState = kSessionDisconnected;
  modem.trackingSession = false;
  if (connected_ != static_cast<int>(index) || connectionLost_) {
    return;
  }
  // The client stays connected to a modem that is gone until it disconnects; only the removal
  // callback still reaches it.
  connectionLost_ = true;
  const uint64_t connection = connectionEpoch_;
  Schedule(0, [connection](Simulator& s) -> Invocation {
    const auto fn = s.connectionEpoch_ == connection ? s.callbacks_.deviceRemoval : nullptr;
    return fn ? Invocation([fn] { fn(); }) : Invocation();
  });
}

void Simulator::Return(size_t index) {
  Modem& modem = modems_[index];
  if (modem.present) {
    return;
  }
  modem.present = true;
  modem.powerMode = 0;
  modem.networkPreference = modem.persistentNetworkPreference;
  modem.networkPreferenceDuration = 0;
  // A restarted modem asks for its PIN again.
  if (modem.pin1.status == kPinEnabledVerified) {
    modem.pin1.status = kPinEnabledNotVerified;
  }
  AutoConnect(index);
}

void Simulator::Restart(size_t index, uint32_t powerMode, std::optional<FirmwareInfo> newFirmware) {
  modems_[index].powerMode = powerMode;
  ReportPower(index);
  Schedule(timing_.restartMs / 4, [index](Simulator& s) -> Invocation {
    s.Remove(index);
    return {};
  });
  Schedule(timing_.restartMs, [index, newFirmware](Simulator& s) -> Invocation {
    if (newFirmware) {
      s.modems_[index].firmware = *newFirmware;
    }
    s.Return(index);
    return {};
  });
}

void Simulator::StartActivation(size_t index) {
  auto report = [index](uint32_t state) {
    return [index, state](Simulator& s) -> Invocation {
      if (state == 1) {
        Modem& m = s.modems_[index];
        m.activationState = 1;
        m.voiceNumber = m.activatedVoiceNumber;
        m.min = m.activatedMin;
      }
      s.Notify(index, [state](const Callbacks& c) -> Invocation {
        const auto fn = c.activationStatus;
        return fn ? Invocation([fn, state] { fn(state); }) : Invocation();
      });
      return {};
    };
  };
  // Connecting, connected, then the OTASP steps, and "activated" last.
  for (uint32_t state = 2; state <= 10; ++state) {
    Schedule(timing_.activationStepMs * (state - 1), report(state));
  }
  Schedule(timing_.activationStepMs * 10, report(1));
}

void Simulator::Apply(size_t index, const Event& event) {
  Modem& modem = modems_[index];
  const auto& n = event.numbers;
  switch (event.kind) {
    case EventKind::kSignal: {
      const auto dbm = static_cast<int8_t>(n[0]);
      const uint32_t iface = n.size() > 1 ? static_cast<uint32_t>(n[1]) : modem.signal.radioInterface;
      modem.signal = {dbm, iface};
      const auto same = std::find_if(modem.signals.begin(), modem.signals.end(),
                                     [iface](const SignalReading& r) { return r.radioInterface == iface; });
      if (same != modem.signals.end()) {
        same->dbm = dbm;
      } else {
        modem.signals.push_back({dbm, iface});
      }
      // Reported when the strength crosses a registered threshold or the interface changes.
      Schedule(0, [index, dbm, iface](Simulator& s) -> Invocation {
        if (s.ReachableCallbacks(index) == nullptr || s.callbacks_.signalStrength == nullptr) {
          return {};
        }
        Callbacks& c = s.callbacks_;
        const size_t band = Band(dbm, c.thresholds);
        if (!c.thresholds.empty() && band == c.reportedBand && iface == c.reportedInterface) {
          return {};
        }
        c.reportedBand = band;
        c.reportedInterface = iface;
        const auto fn = c.signalStrength;
        return [fn, dbm, iface] { fn(dbm, iface); };
      });
      break;
    }
    case EventKind::kRoaming: {
      const auto roaming = static_cast<uint32_t>(n[0]);
      modem.roaming = roaming;
      Notify(index, [roaming](const Callbacks& c) -> Invocation {
        const auto fn = c.roamingIndicator;
        return fn ? Invocation([fn, roaming] { fn(roaming); }) : Invocation();
      });
      break;
    }
    case EventKind::kDataCaps: {
      modem.dataCaps.assign(n.begin(), n.end());
      std::vector<ULONG> caps(modem.dataCaps.begin(), modem.dataCaps.end());
      Notify(index, [caps](const Callbacks& c) -> Invocation {
        const auto fn = c.dataCapabilities;
        return fn ? Invocation([fn, caps]() mutable { fn(static_cast<BYTE>(caps.size()), caps.data()); })
                  : Invocation();
      });
      break;
    }
    case EventKind::kSession: {
      const auto state = static_cast<uint32_t>(n[0]);
      const uint64_t session = ++sessionEpoch_[index];
      modem.sessionState = state;
      if (state == kSessionConnected) {
        ScheduleByteTotals(index, session);
      } else if (state == kSessionDisconnected) {
        ScheduleReconnect(index, session);
      }
      ReportSession(index, state, n.size() > 1 ? static_cast<uint32_t>(n[1]) : 0);
      break;
    }
    case EventKind::kPower: {
      const auto mode = static_cast<uint32_t>(n[0]);
      if (mode == 4 || mode == 5) {
        Restart(index, mode, std::nullopt);
      } else {
        modem.powerMode = mode;
        ReportPower(index);
      }
      break;
    }
    case EventKind::kRemoved:
      Remove(index);
      break;
    case EventKind::kReturned:
      Return(index);
      break;
    case EventKind::kSms: {
      // Each part of a long message is a message of its own to the modem.
      const auto storage = static_cast<uint32_t>(n[0]);
      auto& messages = modem.sms[storage];
      for (const auto& pdu : event.pdus) {
        const uint32_t messageIndex = messages.empty() ? 0 : messages.rbegin()->first + 1;
        messages[messageIndex] = {1, pdu};
        Notify(index, [storage, messageIndex](const Callbacks& c) -> Invocation {
          const auto fn = c.newSms;
          return fn ? Invocation([fn, storage, messageIndex] { fn(storage, messageIndex); }) : Invocation();
        });
      }
      break;
    }
    case EventKind::kNmea: {
      const std::string sentence = event.text;
      Notify(index, [sentence](const Callbacks& c) -> Invocation {
        const auto fn = c.nmea;
        return fn ? Invocation([fn, sentence] { fn(sentence.c_str()); }) : Invocation();
      });
      break;
    }
    case EventKind::kActivation: {
      const auto state = static_cast<uint32_t>(n[0]);
      if (state == 1) {
        modem.activationState = 1;
        modem.voiceNumber = modem.activatedVoiceNumber;
        modem.min = modem.activatedMin;
      } else if (state == 0) {
        modem.activationState = 0;
      }
      Notify(index, [state](const Callbacks& c) -> Invocation {
        const auto fn = c.activationStatus;
        return fn ? Invocation([fn, state] { fn(state); }) : Invocation();
      });
      break;
    }
    case EventKind::kByteTotals: {
      modem.bytesTx = static_cast<uint64_t>(n[0]);
      modem.bytesRx = static_cast<uint64_t>(n[1]);
      const uint64_t tx = modem.bytesTx;
      const uint64_t rx = modem.bytesRx;
      Notify(index, [tx, rx](const Callbacks& c) -> Invocation {
        const auto fn = c.byteTotals;
        return fn ? Invocation([fn, tx, rx] { fn(tx, rx); }) : Invocation();
      });
      break;
    }
  }
}

}  // namespace vesksim
