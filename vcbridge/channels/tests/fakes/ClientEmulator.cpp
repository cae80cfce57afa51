#include "vcbridge/channels/tests/fakes/ClientEmulator.h"

#include <algorithm>
#include <sstream>

#include "vcbridge/channels/tests/emulator/EmulatorWire.h"

namespace vcb::testing {

using emulator::fromHex;
using emulator::toHex;

namespace {

constexpr uint32_t kKeepAlive = 132;
constexpr size_t kRecordLimit = 65536;    // packets kept per channel
constexpr size_t kPartialLimit = 64;      // messages being put together at once
constexpr uint32_t kLargestMessage = 1u << 20;

const char* channelName(ClientEmulator::Channel ch) {
  return ch == ClientEmulator::Dss ? "dss" : "cfa";
}

bool parseChannel(const std::string& s, ClientEmulator::Channel& ch) {
  if (s == "dss") ch = ClientEmulator::Dss;
  else if (s == "cfa") ch = ClientEmulator::Cfa;
  else return false;
  return true;
}

bool parseSwitch(const std::string& s, bool& on) {
  if (s == "on") on = true;
  else if (s == "off") on = false;
  else return false;
  return true;
}

bool parseNumber(const std::string& s, uint32_t& value) {
  if (s.empty() || s.size() > 10) return false;
  uint64_t v = 0;
  size_t i = 0;
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    i = 2;
  }
  for (; i < s.size(); ++i) {
    int d;
    char c = s[i];
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
  }
  if (v > 0xFFFFFFFFull) return false;
  value = uint32_t(v);
  return true;
}

std::vector<uint8_t> pattern(uint32_t n) {
  std::vector<uint8_t> data(n);
  for (uint32_t i = 0; i < n; ++i) data[i] = uint8_t(i);
  return data;
}

}  // namespace

ClientEmulator::ClientEmulator(Link& link) : link_(link) {}

// ---- the relay's side -------------------------------------------------------

ClientEmulator::Result ClientEmulator::open(const std::string& name, Channel* ch) {
  std::lock_guard<std::mutex> hold(lock_);
  Channel c;
  if (name == "VRVCDSS") c = Dss;
  else if (name == "VRVCCFA") c = Cfa;
  else return {false, kErrorNotFound};
  if (ch) *ch = c;
  ChannelState& s = channels_[c];
  if (connectState_ == 4) return {false, kErrorNotConnected};
  if (s.failOpen) return {false, kErrorRefused};
  s.open = true;
  ++s.opens;
  return {true, 0};
}

void ClientEmulator::close(Channel ch) {
  std::lock_guard<std::mutex> hold(lock_);
  ++channels_[ch].closes;
  channels_[ch].open = false;
}

ClientEmulator::Result ClientEmulator::write(Channel ch, const uint8_t* data, size_t size) {
  std::lock_guard<std::mutex> hold(lock_);
  ChannelState& s = channels_[ch];
  if (connectState_ == 4) return {false, kErrorNotConnected};
  if (!s.open) return {false, kErrorInvalidHandle};
  if (s.failWrite) return {false, kErrorRefused};
  Bytes packet(data, data + size);
  if (s.packets.size() < kRecordLimit) s.packets.push_back(packet);
  if (ch == Dss) fromRelayDss(packet);
  else if (cfaEcho_) deliver(Cfa, packet);
  uint32_t written = uint32_t(size);
  if (s.shortWrite && written) --written;
  return {true, written};
}

ClientEmulator::Result ClientEmulator::query(Channel ch) {
  std::lock_guard<std::mutex> hold(lock_);
  if (connectState_ == 4) return {false, kErrorNotConnected};
  if (!channels_[ch].open) return {false, kErrorInvalidHandle};
  if (channels_[ch].failQuery) return {false, kErrorRefused};
  return {true, 0};
}

ClientEmulator::Result ClientEmulator::connectState() {
  std::lock_guard<std::mutex> hold(lock_);
  return {true, uint32_t(connectState_)};
}

void ClientEmulator::purge(Channel ch, bool) {
  std::lock_guard<std::mutex> hold(lock_);
  ++channels_[ch].purges;
}

// ---- DSS messages -----------------------------------------------------------

void ClientEmulator::fromRelayDss(const Bytes& packet) {
  PacketHeader h;
  if (!h.readFrom(packet.data(), uint32_t(packet.size()))) return;
  const uint32_t carried = uint32_t(packet.size()) - PacketHeader::kSize;
  if (h.fragmentFirst == 0) {
    Bytes message = packet;
    message.resize(PacketHeader::kSize + std::min(h.dataLength, carried));
    requests_.push_back(message);
    answer(message);
    return;
  }
  // A fragment: 1-based inclusive range of the data bytes it carries.
  if (h.fragmentLast < h.fragmentFirst || h.fragmentLast > h.dataLength ||
      h.dataLength > kLargestMessage)
    return;
  uint32_t n = h.fragmentLast - h.fragmentFirst + 1;
  if (n > carried) return;
  auto it = partials_.find(h.sequenceNo);
  if (it == partials_.end()) {
    if (partials_.size() >= kPartialLimit) partials_.erase(partials_.begin());
    Partial p;
    p.message.assign(PacketHeader::kSize + h.dataLength, 0);
    std::copy(packet.begin(), packet.begin() + PacketHeader::kSize, p.message.begin());
    it = partials_.emplace(h.sequenceNo, std::move(p)).first;
  }
  Partial& p = it->second;
  if (p.message.size() != PacketHeader::kSize + h.dataLength) return;  // not the same message
  std::copy(packet.begin() + PacketHeader::kSize, packet.begin() + PacketHeader::kSize + n,
            p.message.begin() + PacketHeader::kSize + (h.fragmentFirst - 1));
  p.received += n;
  if (p.received < h.dataLength) return;
  Bytes message = std::move(p.message);
  partials_.erase(it);
  // The whole message carries the header of a single packet.
  PacketHeader whole;
  whole.readFrom(message.data(), uint32_t(message.size()));
  whole.fragmentFirst = 0;
  whole.fragmentLast = whole.dataLength;
  whole.writeTo(message.data(), uint32_t(message.size()));
  if (requests_.size() < kRecordLimit) requests_.push_back(message);
  answer(message);
}

void ClientEmulator::answer(const Bytes& request) {
  PacketHeader h;
  h.readFrom(request.data(), uint32_t(request.size()));
  if (h.command == kKeepAlive || mute_) return;
  Bytes data = replySize_ < 0 ? Bytes(request.begin() + PacketHeader::kSize, request.end())
                              : pattern(uint32_t(replySize_));
  ++answered_;
  sendMessageLocked(h, data);
}

std::vector<ClientEmulator::Bytes> ClientEmulator::chunk(const PacketHeader& header,
                                                         const Bytes& data) {
  std::vector<Bytes> packets;
  PacketHeader h = header;
  h.dataLength = uint32_t(data.size());
  if (data.size() <= kChunk) {
    h.fragmentFirst = 0;
    h.fragmentLast = h.dataLength;
    Bytes p(PacketHeader::kSize + data.size());
    h.writeTo(p.data(), uint32_t(p.size()));
    std::copy(data.begin(), data.end(), p.begin() + PacketHeader::kSize);
    packets.push_back(std::move(p));
    return packets;
  }
  for (uint32_t first = 1; first <= h.dataLength; first += kChunk) {
    uint32_t last = std::min(h.dataLength, first + kChunk - 1);
    h.fragmentFirst = first;
    h.fragmentLast = last;
    Bytes p(PacketHeader::kSize + (last - first + 1));
    h.writeTo(p.data(), uint32_t(p.size()));
    std::copy(data.begin() + (first - 1), data.begin() + last, p.begin() + PacketHeader::kSize);
    packets.push_back(std::move(p));
  }
  return packets;
}

void ClientEmulator::sendMessageLocked(PacketHeader h, const Bytes& data) {
  h.magic = PacketHeader::kMagic;
  h.sequenceNo = sequence_;
  sequence_ = (sequence_ + 1) % 100000;
  if (sequence_ == 0) sequence_ = 1;
  std::vector<Bytes> packets = chunk(h, data);
  if (outOfOrder_) std::reverse(packets.begin(), packets.end());
  for (const Bytes& p : packets) deliver(Dss, p);
}

bool ClientEmulator::deliver(Channel ch, const Bytes& packet) {
  bool ok = channels_[ch].open && link_.deliver(ch, packet);
  ok ? ++sent_ : ++undelivered_;
  return ok;
}

// ---- in-process control -----------------------------------------------------

void ClientEmulator::notify(uint32_t command, uint32_t window, uint32_t dataLength) {
  std::lock_guard<std::mutex> hold(lock_);
  PacketHeader h;
  h.command = command;
  h.replyWindow = window;
  sendMessageLocked(h, pattern(dataLength));
}

void ClientEmulator::keepAlive() {
  std::lock_guard<std::mutex> hold(lock_);
  PacketHeader h;
  h.command = kKeepAlive;
  sendMessageLocked(h, {});
}

void ClientEmulator::sendMessage(PacketHeader header, const Bytes& data) {
  std::lock_guard<std::mutex> hold(lock_);
  sendMessageLocked(header, data);
}

bool ClientEmulator::sendRaw(Channel ch, const Bytes& packet) {
  std::lock_guard<std::mutex> hold(lock_);
  return deliver(ch, packet);
}

void ClientEmulator::drop() {
  std::lock_guard<std::mutex> hold(lock_);
  dropLocked();
}

void ClientEmulator::dropLocked() {
  connectState_ = 4;
  for (Channel ch : {Dss, Cfa}) {
    if (!channels_[ch].open) continue;
    channels_[ch].open = false;
    link_.disconnect(ch);
  }
}

void ClientEmulator::restore() {
  std::lock_guard<std::mutex> hold(lock_);
  connectState_ = 0;
}

std::vector<ClientEmulator::Bytes> ClientEmulator::packets(Channel ch) {
  std::lock_guard<std::mutex> hold(lock_);
  return channels_[ch].packets;
}

std::vector<ClientEmulator::Bytes> ClientEmulator::requests() {
  std::lock_guard<std::mutex> hold(lock_);
  return requests_;
}

bool ClientEmulator::isOpen(Channel ch) {
  std::lock_guard<std::mutex> hold(lock_);
  return channels_[ch].open;
}

bool ClientEmulator::quitRequested() {
  std::lock_guard<std::mutex> hold(lock_);
  return quit_;
}

std::string ClientEmulator::stats() {
  std::ostringstream s;
  s << "ok state=" << connectState_;
  for (Channel ch : {Dss, Cfa}) {
    const ChannelState& c = channels_[ch];
    const char* n = channelName(ch);
    s << ' ' << n << "open=" << c.open << ' ' << n << '=' << c.packets.size() << ' ' << n
      << "opens=" << c.opens << ' ' << n << "closes=" << c.closes << ' ' << n
      << "purges=" << c.purges;
  }
  s << " requests=" << requests_.size() << " answered=" << answered_ << " sent=" << sent_
    << " undelivered=" << undelivered_;
  return s.str();
}

// ---- control lines ----------------------------------------------------------

std::string ClientEmulator::control(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string word; in >> word;) w.push_back(word);
  if (w.empty()) return "error empty command";
  const std::string& cmd = w[0];
  const std::string usage = "error usage: ";
  Channel ch;
  bool on;
  uint32_t a, b, c, d, e;

  std::lock_guard<std::mutex> hold(lock_);
  if (cmd == "ping") return "ok";
  if (cmd == "stats") return stats();
  if (cmd == "quit") {
    quit_ = true;
    return "ok";
  }
  if (cmd == "drop") {
    dropLocked();
    return "ok";
  }
  if (cmd == "restore") {
    connectState_ = 0;
    return "ok";
  }
  if (cmd == "reset") {
    for (ChannelState& s : channels_) s.packets.clear();
    requests_.clear();
    partials_.clear();
    answered_ = sent_ = undelivered_ = 0;
    return "ok";
  }
  if (cmd == "packet") {
    if (w.size() != 3 || !parseChannel(w[1], ch) || !parseNumber(w[2], a))
      return usage + "packet dss|cfa <index>";
    if (a >= channels_[ch].packets.size()) return "error no such packet";
    return "ok " + toHex(channels_[ch].packets[a]);
  }
  if (cmd == "request") {
    if (w.size() != 2 || !parseNumber(w[1], a)) return usage + "request <index>";
    if (a >= requests_.size()) return "error no such request";
    return "ok " + toHex(requests_[a]);
  }
  const bool dssOpen = channels_[Dss].open;
  const std::string notOpen = "error channel not open";
  if (cmd == "notify") {
    if (w.size() < 3 || w.size() > 4 || !parseNumber(w[1], a) || !parseNumber(w[2], b) ||
        (w.size() == 4 && !parseNumber(w[3], c)))
      return usage + "notify <command> <window> [<dataLength>]";
    if (w.size() == 3) c = 0;
    if (c > kLargestMessage) return "error too long";
    if (!dssOpen) return notOpen;
    PacketHeader h;
    h.command = a;
    h.replyWindow = b;
    sendMessageLocked(h, pattern(c));
    return "ok";
  }
  if (cmd == "keepalive") {
    if (!dssOpen) return notOpen;
    PacketHeader h;
    h.command = kKeepAlive;
    sendMessageLocked(h, {});
    return "ok";
  }
  if (cmd == "send") {
    if (w.size() != 6 || !parseNumber(w[1], a) || !parseNumber(w[2], b) ||
        !parseNumber(w[3], c) || !parseNumber(w[4], d) || !parseNumber(w[5], e))
      return usage + "send <command> <window> <keyA> <keyB> <dataLength>";
    if (e > kLargestMessage) return "error too long";
    if (!dssOpen) return notOpen;
    PacketHeader h;
    h.command = a;
    h.replyWindow = b;
    h.segmentKeyA = c;
    h.segmentKeyB = d;
    sendMessageLocked(h, pattern(e));
    return "ok";
  }
  if (cmd == "raw") {
    Bytes bytes;
    if (w.size() != 3 || !parseChannel(w[1], ch) || !fromHex(w[2], bytes))
      return usage + "raw dss|cfa <hex>";
    return deliver(ch, bytes) ? "ok" : notOpen;
  }
  if (cmd == "cut") {
    if (w.size() != 2 || !parseChannel(w[1], ch)) return usage + "cut dss|cfa";
    if (!channels_[ch].open) return notOpen;
    // The connection breaks, but too briefly for the connect state to show it.
    channels_[ch].open = false;
    link_.disconnect(ch);
    return "ok";
  }
  if (cmd == "outoforder" || cmd == "mute" || cmd == "cfaecho") {
    if (w.size() != 2 || !parseSwitch(w[1], on)) return usage + cmd + " on|off";
    (cmd == "outoforder" ? outOfOrder_ : cmd == "mute" ? mute_ : cfaEcho_) = on;
    return "ok";
  }
  if (cmd == "replysize") {
    if (w.size() == 2 && w[1] == "echo") replySize_ = -1;
    else if (w.size() == 2 && parseNumber(w[1], a) && a <= kLargestMessage) replySize_ = a;
    else return usage + "replysize <n>|echo";
    return "ok";
  }
  if (cmd == "shortwrite") {
    if (w.size() != 3 || !parseChannel(w[1], ch) || !parseSwitch(w[2], on))
      return usage + "shortwrite dss|cfa on|off";
    channels_[ch].shortWrite = on;
    return "ok";
  }
  if (cmd == "fail") {
    if (w.size() != 4 || !parseChannel(w[1], ch) || !parseSwitch(w[3], on))
      return usage + "fail dss|cfa open|query|write on|off";
    ChannelState& s = channels_[ch];
    if (w[2] == "open") s.failOpen = on;
    else if (w[2] == "query") s.failQuery = on;
    else if (w[2] == "write") s.failWrite = on;
    else return usage + "fail dss|cfa open|query|write on|off";
    return "ok";
  }
  return "error unknown command " + cmd;
}

}  // namespace vcb::testing
