// Throughput of the DSS framing: a 4000-byte message cut into packets and
// put back together, as it crosses the channel (three packets each way).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "vcbridge/channels/ChunkAssembler.h"
#include "vcbridge/channels/PacketHeader.h"

namespace {

vcb::CBinary message(uint32_t dataLength) {
  vcb::CBinary m(vcb::PacketHeader::kSize + dataLength);
  vcb::PacketHeader h;
  h.command = 5;
  h.dataLength = dataLength;
  h.writeTo(m);
  for (uint32_t i = 0; i < dataLength; ++i) m.data()[vcb::PacketHeader::kSize + i] = uint8_t(i);
  return m;
}

void ChunkOnly(benchmark::State& state) {
  const vcb::CBinary m = message(uint32_t(state.range(0)));
  vcb::ChunkAssembler sender;
  for (auto _ : state) {
    sender.TakeMessage(m);
    while (!sender.currentPacket().empty()) {
      benchmark::DoNotOptimize(sender.currentPacket().data());
      sender.NextPacket();
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(m.size()));
}

void ChunkAndReassemble(benchmark::State& state) {
  const vcb::CBinary m = message(uint32_t(state.range(0)));
  vcb::ChunkAssembler sender, receiver;
  vcb::CBinary buffer(vcb::ChunkAssembler::kReceiveBufferSize);
  int64_t delivered = 0;
  for (auto _ : state) {
    sender.TakeMessage(m);
    while (!sender.currentPacket().empty()) {
      const vcb::CBinary& p = sender.currentPacket();
      std::memcpy(buffer.data(), p.data(), p.size());
      if (receiver.AddPacket(buffer, p.size())) ++delivered;
      sender.NextPacket();
    }
  }
  if (delivered != int64_t(state.iterations())) state.SkipWithError("messages were lost");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(m.size()));
  state.SetItemsProcessed(int64_t(state.iterations()));
}

}  // namespace

BENCHMARK(ChunkOnly)->Arg(4000)->Arg(19956);
BENCHMARK(ChunkAndReassemble)->Arg(1000)->Arg(4000)->Arg(19956);
BENCHMARK_MAIN();
