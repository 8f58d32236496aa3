#include "LibUsbApi.h"

#include <libusb.h>

#include <array>

namespace varnex::device::usb {

static_assert(UsbCode::Success == LIBUSB_SUCCESS);
static_assert(UsbCode::Io == LIBUSB_ERROR_IO);
static_assert(UsbCode::InvalidParam == LIBUSB_ERROR_INVALID_PARAM);
static_assert(UsbCode::Access == LIBUSB_ERROR_ACCESS);
static_assert(UsbCode::NoDevice == LIBUSB_ERROR_NO_DEVICE);
static_assert(UsbCode::NotFound == LIBUSB_ERROR_NOT_FOUND);
static_assert(UsbCode::Busy == LIBUSB_ERROR_BUSY);
static_assert(UsbCode::Timeout == LIBUSB_ERROR_TIMEOUT);
static_assert(UsbCode::Overflow == LIBUSB_ERROR_OVERFLOW);
static_assert(UsbCode::Pipe == LIBUSB_ERROR_PIPE);
static_assert(UsbCode::Interrupted == LIBUSB_ERROR_INTERRUPTED);
static_assert(UsbCode::NoMem == LIBUSB_ERROR_NO_MEM);
static_assert(UsbCode::NotSupported == LIBUSB_ERROR_NOT_SUPPORTED);
static_assert(UsbCode::Other == LIBUSB_ERROR_OTHER);

namespace {

// USB allows at most 7 tiers of hubs below the root.
constexpr int MaxPortDepth = 7;

libusb_device_handle *toHandle(UsbHandleId handle)
{
    return reinterpret_cast<libusb_device_handle *>(handle);
}

std::vector<UsbInterfaceInfo> readInterfaces(libusb_device *device)
{
    std::vector<UsbInterfaceInfo> result;
    libusb_config_descriptor *config = nullptr;
    // An unconfigured device has no active configuration: it lists no interfaces.
    if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS)
        return result;
    for (int i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface &interface = config->interface[i];
        for (int a = 0; a < interface.num_altsetting; ++a) {
            const libusb_interface_descriptor &setting = interface.altsetting[a];
            UsbInterfaceInfo info;
            info.number = setting.bInterfaceNumber;
            info.alternateSetting = setting.bAlternateSetting;
            info.interfaceClass = setting.bInterfaceClass;
            for (int e = 0; e < setting.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor &endpoint = setting.endpoint[e];
                info.endpoints.push_back(
                    {endpoint.bEndpointAddress, endpoint.bmAttributes, endpoint.wMaxPacketSize});
            }
            result.push_back(std::move(info));
        }
    }
    libusb_free_config_descriptor(config);
    return result;
}

} // namespace

LibUsbApi::LibUsbApi()
{
    m_initStatus = libusb_init(&m_context);
    if (m_initStatus != LIBUSB_SUCCESS)
        m_context = nullptr;
}

LibUsbApi::~LibUsbApi()
{
    releaseSnapshot();
    if (m_context)
        libusb_exit(m_context);
}

void LibUsbApi::releaseSnapshot()
{
    for (libusb_device *device : m_snapshot)
        libusb_unref_device(device);
    m_snapshot.clear();
}

int LibUsbApi::enumerate(std::vector<UsbDeviceInfo> *devices)
{
    devices->clear();
    releaseSnapshot();
    if (!m_context)
        return m_initStatus;

    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(m_context, &list);
    if (count < 0)
        return int(count);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device *device = list[i];
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS)
            continue;
        UsbDeviceInfo info;
        info.vendorId = descriptor.idVendor;
        info.productId = descriptor.idProduct;
        info.serialNumberIndex = descriptor.iSerialNumber;
        info.productIndex = descriptor.iProduct;
        info.busNumber = libusb_get_bus_number(device);
        std::array<quint8, MaxPortDepth> ports{};
        const int depth = libusb_get_port_numbers(device, ports.data(), int(ports.size()));
        if (depth > 0)
            info.portNumbers.assign(ports.begin(), ports.begin() + depth);
        info.interfaces = readInterfaces(device);
        m_snapshot.push_back(libusb_ref_device(device));
        devices->push_back(std::move(info));
    }
    libusb_free_device_list(list, 1);
    return LIBUSB_SUCCESS;
}

int LibUsbApi::open(UsbDeviceId device, UsbHandleId *handle)
{
    if (!m_context)
        return m_initStatus;
    if (device >= m_snapshot.size())
        return LIBUSB_ERROR_NO_DEVICE;
    libusb_device_handle *opened = nullptr;
    const int result = libusb_open(m_snapshot[device], &opened);
    if (result == LIBUSB_SUCCESS)
        *handle = reinterpret_cast<UsbHandleId>(opened);
    return result;
}

void LibUsbApi::close(UsbHandleId handle)
{
    libusb_close(toHandle(handle));
}

int LibUsbApi::stringDescriptor(UsbHandleId handle, quint8 index, QByteArray *text)
{
    // A string descriptor holds at most 126 UTF-16 units.
    unsigned char buffer[256];
    const int length =
        libusb_get_string_descriptor_ascii(toHandle(handle), index, buffer, sizeof(buffer));
    if (length < 0)
        return length;
    *text = QByteArray(reinterpret_cast<const char *>(buffer), length);
    return LIBUSB_SUCCESS;
}

int LibUsbApi::kernelDriverActive(UsbHandleId handle, int interfaceNumber)
{
    return libusb_kernel_driver_active(toHandle(handle), interfaceNumber);
}

int LibUsbApi::detachKernelDriver(UsbHandleId handle, int interfaceNumber)
{
    return libusb_detach_kernel_driver(toHandle(handle), interfaceNumber);
}

int LibUsbApi::attachKernelDriver(UsbHandleId handle, int interfaceNumber)
{
    return libusb_attach_kernel_driver(toHandle(handle), interfaceNumber);
}

int LibUsbApi::claimInterface(UsbHandleId handle, int interfaceNumber)
{
    return libusb_claim_interface(toHandle(handle), interfaceNumber);
}

int LibUsbApi::releaseInterface(UsbHandleId handle, int interfaceNumber)
{
    return libusb_release_interface(toHandle(handle), interfaceNumber);
}

int LibUsbApi::clearHalt(UsbHandleId handle, quint8 endpoint)
{
    return libusb_clear_halt(toHandle(handle), endpoint);
}

int LibUsbApi::controlOut(UsbHandleId handle, quint8 requestType, quint8 request, quint16 value,
                          quint16 index, unsigned timeoutMs)
{
    const int result = libusb_control_transfer(toHandle(handle), requestType, request, value, index,
                                               nullptr, 0, timeoutMs);
    return result < 0 ? result : LIBUSB_SUCCESS;
}

int LibUsbApi::bulkTransfer(UsbHandleId handle, quint8 endpoint, quint8 *data, int length,
                            int *transferred, unsigned timeoutMs)
{
    *transferred = 0;
    return libusb_bulk_transfer(toHandle(handle), endpoint, data, length, transferred, timeoutMs);
}

} // namespace varnex::device::usb
