// The handset's identity, status and settings commands.

#include "sim/at_engine.h"

#include <optional>

#include "sim/at_engine_helpers.h"

namespace quorvex::sim {

using namespace engine;

AtEngine::Result AtEngine::cgmi(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  return {true, Line("+CGMI: " + Quote(state_.manufacturer))};
}

AtEngine::Result AtEngine::cgmm(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  std::string line = "+CGMM: ";
  for (const std::string& band : BandsOf(model_)) line += Quote(band) + ",";
  line += Quote("MODEL=" + model_);
  return {true, Line(line)};
}

AtEngine::Result AtEngine::cgmr(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  return {true, Line("+CGMR: " +
                     Quote(state_.revision.empty() ? DefaultRevision(model_) : state_.revision))};
}

AtEngine::Result AtEngine::cgsn(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  return {true, Line("+CGSN: IMEI" + state_.imei)};
}

AtEngine::Result AtEngine::cimi(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  return {true, Line((habits.bareImsi ? "" : "+CIMI: ") + state_.imsi)};
}

AtEngine::Result AtEngine::cnum(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {};
  if (form != Form::Exec) return {false};
  if (state_.ownNumber.empty()) return {};
  const int type = state_.ownNumber[0] == '+' ? 145 : 129;
  return {true, Line("+CNUM: \"\"," + Quote(state_.ownNumber) + "," + S(type))};
}

AtEngine::Result AtEngine::cbc(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {true, Line("+CBC: (0-3),(0-100)")};
  if (form != Form::Exec) return {false};
  return {true, Line("+CBC: " + S(state_.batteryStatus) + "," + S(state_.batteryLevel))};
}

AtEngine::Result AtEngine::csq(Form form, const std::vector<Arg>&) {
  if (form == Form::Test) return {true, Line("+CSQ: (0-31,99),(0-7,99)")};
  if (form != Form::Exec) return {false};
  return {true, Line("+CSQ: " + S(state_.rssi) + "," + S(state_.ber))};
}

AtEngine::Result AtEngine::cclk(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form == Form::Read) return {true, Line("+CCLK: " + Quote(clockText()))};
  if (form != Form::Set || args.size() != 1 || !args[0].quoted) return {false};
  // "yy/MM/dd,hh:mm:ss", optionally followed by the zone in quarter hours ("+12").
  const std::string& v = args[0].value;
  int yy = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, zone = 0;
  if (v.size() != 17 && v.size() != 20) return {false};
  if (!Digits(v, 0, 2, yy) || v[2] != '/' || !Digits(v, 3, 2, mo) || v[5] != '/' ||
      !Digits(v, 6, 2, d) || v[8] != ',' || !Digits(v, 9, 2, h) || v[11] != ':' ||
      !Digits(v, 12, 2, mi) || v[14] != ':' || !Digits(v, 15, 2, sec)) {
    return {false};
  }
  if (v.size() == 20 && ((v[17] != '+' && v[17] != '-') || !Digits(v, 18, 2, zone) || zone > 48)) {
    return {false};
  }
  const int year = 2000 + yy;
  if (mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(year, mo) || h > 23 || mi > 59 || sec > 59) {
    return {false};
  }
  const std::int64_t shown = DaysFromCivil(year, mo, d) * 86400 + h * 3600 + mi * 60 + sec;
  state_.clockOffset = shown - clock_();
  changed_ = true;
  return {};
}

AtEngine::Result AtEngine::cscs(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) {
    return {true, Line("+CSCS: (\"8859-1\",\"ASCII\",\"GSM\",\"IRA\",\"UCS2\")")};
  }
  if (form == Form::Read) return {true, Line("+CSCS: " + Quote(CharsetName(charset_)))};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<Charset> charset = CharsetFromName(args[0].value);
  if (!charset) return {false};
  charset_ = *charset;
  return {};
}

// A setting of one small number: the test form lists its values, the read form tells it.
AtEngine::Result AtEngine::numberSetting(Form form, const std::vector<Arg>& args,
                                         std::string_view name, std::string_view values, int most,
                                         int& setting) {
  if (form == Form::Test) return {true, Line(std::string(name) + ": " + std::string(values))};
  if (form == Form::Read) return {true, Line(std::string(name) + ": " + S(setting))};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> v = ToInt(args[0].value, 0, most);
  if (!v) return {false};
  setting = *v;
  return {};
}

AtEngine::Result AtEngine::cmee(Form form, const std::vector<Arg>& args) {
  return numberSetting(form, args, "+CMEE", "(0-2)", 2, cmee_);
}

// Only full function and the radio switched off; the simulated radio works either way.
AtEngine::Result AtEngine::cfun(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+CFUN: (0,1),(0)")};
  if (form == Form::Read) return {true, Line("+CFUN: " + S(cfun_))};
  if (form != Form::Set || args.empty() || args.size() > 2) return {false};
  const std::optional<int> v = ToInt(args[0].value, 0, 1);
  if (!v || (args.size() == 2 && !ToInt(args[1].value, 0, 0))) return {false};
  cfun_ = *v;
  return {};
}

AtEngine::Result AtEngine::csdh(Form form, const std::vector<Arg>& args) {
  return numberSetting(form, args, "+CSDH", "(0,1)", 1, csdh_);
}

AtEngine::Result AtEngine::ckpd(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+CKPD: (0123456789*#<>^VSE),(0-255),(0-255)")};
  if (form != Form::Set || args.empty() || args.size() > 3 || !args[0].quoted ||
      args[0].value.empty()) {
    return {false};
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (!ToInt(args[i].value, 0, 255)) return {false};
  }
  return {};
}

AtEngine::Result AtEngine::cmod(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+CMOD: (0)")};
  if (form == Form::Read) return {true, Line("+CMOD: 0")};
  // Single mode only; an empty value sets the default, which is that mode.
  if (form != Form::Set || args.size() != 1) return {false};
  if (!args[0].value.empty() && !ToInt(args[0].value, 0, 0)) return {false};
  return {};
}

AtEngine::Result AtEngine::cbst(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {true, Line("+CBST: (0-7,65,66,68,70,71),(0),(0-1)")};
  if (form == Form::Read) {
    return {true, Line("+CBST: " + S(bearer_[0]) + "," + S(bearer_[1]) + "," + S(bearer_[2]))};
  }
  if (form != Form::Set || args.empty() || args.size() > 3) return {false};
  const std::optional<int> speed = ToInt(args[0].value, 0, 71);
  if (!speed || (*speed > 7 && *speed != 65 && *speed != 66 && *speed != 68 && *speed != 70 &&
                 *speed != 71)) {
    return {false};
  }
  int values[3] = {*speed, 0, 1};
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::optional<int> v = ToInt(args[i].value, 0, i == 1 ? 0 : 1);
    if (!v) return {false};
    values[i] = *v;
  }
  for (int i = 0; i < 3; ++i) bearer_[i] = values[i];
  return {};
}

AtEngine::Result AtEngine::mode(Form form, const std::vector<Arg>& args) {
  // Only the AT command mode is simulated; the data and binary modes are refused. A handset
  // that needs it also takes mode 2, the one its Motorola book commands work in.
  if (form == Form::Test) return {true, Line(habits.needsMode2 ? "+MODE: (0,2)" : "+MODE: (0)")};
  if (form == Form::Read) return {true, Line("+MODE: " + S(mode_))};
  if (form != Form::Set || args.size() != 1) return {false};
  const std::optional<int> mode = ToInt(args[0].value, 0, habits.needsMode2 ? 2 : 0);
  if (!mode || *mode == 1) return {false};
  mode_ = *mode;
  return {};
}

// PDU mode lists and reads messages; storing and sending take text mode.
AtEngine::Result AtEngine::cmgf(Form form, const std::vector<Arg>& args) {
  return numberSetting(form, args, "+CMGF", "(0,1)", 1, cmgf_);
}

AtEngine::Result AtEngine::csca(Form form, const std::vector<Arg>& args) {
  if (form == Form::Test) return {};
  if (form == Form::Read) {
    const int type = !state_.serviceCentre.empty() && state_.serviceCentre[0] == '+' ? 145 : 129;
    return {true, Line("+CSCA: " + Quote(state_.serviceCentre) + "," + S(type))};
  }
  if (form != Form::Set || args.empty() || args.size() > 2 || !args[0].quoted ||
      args[0].value.size() > kNumberLength) {
    return {false};
  }
  if (args.size() == 2 && !ToInt(args[1].value, 0, 255)) return {false};
  state_.serviceCentre = args[0].value;
  changed_ = true;
  return {};
}

}  // namespace quorvex::sim
