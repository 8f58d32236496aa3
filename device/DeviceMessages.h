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

// Not shown by the device link: what a front end adds to its own "Hardware
// not found" when DeviceConnection::openDeniedAccess() says why. It names the
// udev rule's two ways to grant access, since the user is often not at the
// seat (over SSH, in a service) when this happens.
inline constexpr char AccessDenied[] =
    "A USB bridge that may be the Varnex is attached, but this user has no permission to use "
    "it. The udev rule 70-varnex-edid-utility.rules grants access only to the user logged in "
    "at the local seat. Over SSH or from a service, enable the rule's commented group line "
    "(GROUP=\"plugdev\") in a copy in /etc/udev/rules.d, add the user to that group, reload "
    "the rules (udevadm control --reload-rules && udevadm trigger), re-plug the Varnex and "
    "log in again.";

} // namespace varnex::device::messages
