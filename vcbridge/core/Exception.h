#pragma once
#include <cstdint>
#include <exception>

namespace vcb {

// Failure codes carried by Exception through the relay.
enum enumDSSVCERR : int32_t {
  DSSVCERR_NO_SEGMENT = 1,          // a segment does not exist, or data does not fit into it
  DSSVCERR_CREATE_FAILED = 4,       // mapping, view or channel transport could not be made
  DSSVCERR_SEND_FAILED = 9,         // request could not be sent over the DSS channel (resultCode)
  DSSVCERR_ANSWERED_LOCALLY = 10,   // command 0 answered by the relay (statusCode)
  DSSVCERR_NOT_INITIALISED = 14,    // used before initialise or start
  DSSVCERR_ALREADY_INITIALISED = 15,
  DSSVCERR_WINDOW_FAILED = 22,      // message window could not be created
  DSSVCERR_EVENT_FAILED = 23,       // event object could not be created
  DSSVCERR_NOT_REMOTE_SESSION = 31, // neither a Citrix nor a Remote Desktop session
};

class Exception : public std::exception {
 public:
  explicit Exception(int32_t code) : code(code) {}
  const char* what() const noexcept override { return "vcbridge exception"; }

  int32_t code;
};

}  // namespace vcb
