#pragma once

namespace varnex::device::messages {

// The device link's own texts. They are shown as written (typos included) and
// never translated, since users and support staff know them by these words.
inline constexpr char SerialStringError[] = "Error retrieving serial string!";
inline constexpr char ProductStringError[] = "Unable to retrive product string!";
inline constexpr char OpenError[] = "Unable to open handle to device!";
inline constexpr char FlushError[] = "Unable to flush device bufers!";
inline constexpr char CloseError[] = "Unable to close device handle!";
inline constexpr char InvalidHandle[] = "Invalid Device Handle";
inline constexpr char SendError[] = "Error Sending Code";
inline constexpr char QueueError[] = "Error Checking Queue";
inline constexpr char ReadError[] = "Error Reading Data";

} // namespace varnex::device::messages
