#pragma once
// What the two channel doubles (WFAPI.dll and wtsapi32.dll) share: a channel
// opened through vcb_client_emulator.exe. The double makes an inbound,
// overlapped, message-mode pipe for the channel's incoming packets and asks
// the emulator (KIT_EMULATOR_PIPE) to connect to it; everything else is one
// request on the emulator's rpc pipe. All functions set the system error on
// failure.
#include <windows.h>

#include <cstdint>
#include <string>

namespace vcb::doubles {

struct Channel;

Channel* openChannel(const char* name);
bool closeChannel(Channel* ch);
bool isChannel(Channel* ch);  // false (error 6) for a handle this double never gave out
HANDLE readHandle(Channel* ch);
bool writeChannel(Channel* ch, const void* data, uint32_t size, uint32_t* written);
bool queryChannel(Channel* ch);
bool purgeChannel(Channel* ch, bool input);
// One packet, waiting at most timeoutMs; error 258 on time-out.
bool readChannel(Channel* ch, uint32_t timeoutMs, void* buffer, uint32_t size, uint32_t* bytesRead);
bool sessionConnectState(int32_t* state);

// Memory handed to the caller, freed by the double's own free function.
void* allocate(size_t size);
void release(void* memory);
int outstanding();  // allocations not yet released

}  // namespace vcb::doubles
