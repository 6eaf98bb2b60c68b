#include "sharing/socket_errors.h"

#include <netdb.h>

#include <cerrno>
#include <cstdio>

namespace tarvolin::sharing {
namespace {

struct SocketError {
  int code;
  bool osDependent;
  const char* title;
  const char* explanation;
};

constexpr SocketError kErrors[] = {
    {6, true, "Specified event object handle is invalid",
     "An application attempted to use an event object, but the handle is not valid."},
    {8, true, "Insufficient memory available",
     "There was not enough free memory to complete the request."},
    {87, true, "One or more parameters are invalid",
     "A function received a parameter it cannot accept."},
    {995, true, "Overlapped operation aborted",
     "An overlapped operation was cancelled because the socket was closed."},
    {996, true, "Overlapped I/O event object not in signaled state",
     "The overlapped operation has not completed yet."},
    {997, true, "Overlapped operations will complete later",
     "The overlapped operation was started and will complete later."},
    {10004, false, "Interrupted function call", "A blocking operation was interrupted."},
    {10013, false, "Permission denied",
     "The socket was accessed in a way its access permissions forbid."},
    {10014, false, "Bad address", "The system found an invalid pointer address in a call."},
    {10022, false, "Invalid argument", "An invalid argument was supplied."},
    {10024, false, "Too many open files", "Too many sockets or files are open."},
    {10035, false, "Resource temporarily unavailable",
     "A non-blocking operation could not be completed at once."},
    {10036, false, "Operation now in progress", "A blocking operation is in progress."},
    {10037, false, "Operation already in progress",
     "An operation was attempted on a socket that already has one in progress."},
    {10038, false, "Socket operation on nonsocket",
     "An operation was attempted on something that is not a socket."},
    {10039, false, "Destination address required",
     "A required address was omitted from an operation on a socket."},
    {10040, false, "Message too long",
     "A message sent on a datagram socket was larger than the buffer or limit."},
    {10041, false, "Protocol wrong type for socket",
     "The protocol given does not support the semantics of the socket type."},
    {10042, false, "Bad protocol option", "An unknown or unsupported option was given."},
    {10043, false, "Protocol not supported",
     "The requested protocol is not configured or not implemented."},
    {10044, false, "Socket type not supported",
     "The socket type is not supported in this address family."},
    {10045, false, "Operation not supported",
     "The operation is not supported for this type of object."},
    {10046, false, "Protocol family not supported",
     "The protocol family is not configured or not implemented."},
    {10047, false, "Address family not supported by protocol family",
     "An address was used that the requested protocol cannot use."},
    {10048, false, "Address already in use", "Only one use of each socket address is allowed."},
    {10049, false, "Cannot assign requested address",
     "The requested address is not valid in its context."},
    {10050, false, "Network is down", "The network subsystem or interface has failed."},
    {10051, false, "Network is unreachable",
     "The operation was attempted to an unreachable network."},
    {10052, false, "Network dropped connection on reset",
     "The connection broke because of keep-alive activity that found a failure."},
    {10053, false, "Software caused connection abort",
     "An established connection was aborted by this machine."},
    {10054, false, "Connection reset by peer",
     "An existing connection was forcibly closed by the remote host."},
    {10055, false, "No buffer space available",
     "The system lacked buffer space or a queue was full."},
    {10056, false, "Socket is already connected",
     "A connect request was made on an already connected socket."},
    {10057, false, "Socket is not connected",
     "Data cannot be sent or received because the socket is not connected."},
    {10058, false, "Cannot send after socket shutdown",
     "Data cannot be sent because that direction was already shut down."},
    {10060, false, "Connection timed out",
     "The connected party did not answer in time, or the host failed to respond."},
    {10061, false, "Connection refused",
     "No connection could be made because the target machine actively refused it."},
    {10064, false, "Host is down", "The operation failed because the destination host was down."},
    {10065, false, "No route to host", "The operation was attempted to an unreachable host."},
    {10067, false, "Too many processes", "Too many applications are using the sockets at once."},
    {10091, false, "Network subsystem is unavailable",
     "The network subsystem is not ready for communication."},
    {10092, false, "Winsock.dll version out of range",
     "The requested version of the sockets interface is not supported."},
    {10093, false, "Successful WSAStartup not yet performed",
     "The sockets interface was used before it was started."},
    // The title of this row has always carried 10094 in its parentheses.
    {10101, false, nullptr, "The remote party has started a graceful shutdown."},
    {10107, true, "System call failure", "A system call that should never fail has failed."},
    {10109, false, "Class type not found", "The specified class was not found."},
    {11001, false, "Host not found", "No such host is known."},
    {11002, false, "Nonauthoritative host not found",
     "A temporary error during host name resolution; try again later."},
    {11003, false, "This is a nonrecoverable error",
     "A nonrecoverable error occurred during a database lookup."},
    {11004, false, "Valid name, no data record of requested type",
     "The name is valid but has no data of the requested type."},
};

}  // namespace

std::string socketErrorText(int code) {
  for (const SocketError& e : kErrors) {
    if (e.code != code) continue;
    std::string text;
    if (!e.title) {
      text = "(10094) - Graceful shutdown in progress";
    } else {
      char head[32];
      if (e.osDependent) std::snprintf(head, sizeof head, "(OS dependent) - ");
      else std::snprintf(head, sizeof head, "(%d) - ", e.code);
      text.append(head).append(e.title);
    }
    text.append(". \n").append(e.explanation);
    return text;
  }
  return "Unknown (not listed) error";
}

int socketCodeOfErrno(int err) {
  switch (err) {
    case EBADF: return 6;
    case ENOMEM: return 8;
    case EINTR: return 10004;
    case EACCES: case EPERM: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: case ENFILE: return 10024;
    case EAGAIN: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: case EPIPE: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    default: return 0;
  }
}

int socketCodeOfResolver(int eai, int err) {
  switch (eai) {
    case EAI_NONAME: return 11001;
    case EAI_AGAIN: return 11002;
    case EAI_FAIL: return 11003;
#ifdef EAI_NODATA
    case EAI_NODATA: return 11004;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: return 11004;
#endif
    case EAI_MEMORY: return 8;
    case EAI_FAMILY: return 10047;
    case EAI_SOCKTYPE: return 10044;
    case EAI_SERVICE: return 10022;
    case EAI_SYSTEM: return socketCodeOfErrno(err);
    default: return 11003;
  }
}

}  // namespace tarvolin::sharing
