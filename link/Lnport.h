// The platform side of the LocoNet link: what the link needs from a port
// (a serial device, a LocoNet-over-TCP connection, the simulated bus), kept
// small so tests can drive the link with a port of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Port events, as a bit mask handed to the link's event handler.
enum : uint32_t {
    kLnEvRxChar = 0x0001,   // bytes are waiting to be read
    kLnEvTxEmpty = 0x0004,  // the output buffer drained
    kLnEvError = 0x0080,    // a line error occurred; see the error flags
    kLnEvLinkState = 0x0200,  // a port that reconnects by itself lost or regained its connection
};

// Error flags, reported with kLnEvError and by ClearError.
enum : uint32_t {
    kLnErrRxOver = 0x0001,      // input buffer overflow
    kLnErrOverrun = 0x0002,     // character lost by the hardware
    kLnErrParity = 0x0004,
    kLnErrFrame = 0x0008,
    kLnErrBreak = 0x0010,
    kLnErrTxFull = 0x0100,      // output buffer full
    kLnErrIo = 0x0400,          // a read or write failed
    kLnErrDeviceLost = 0x8000,  // the device went away (unplugged, connection lost): the link closes
};

// What ClearError reports: the error flags collected since the last call and
// the bytes waiting in each direction.
struct TLnPortStatus {
    uint32_t errors = 0;
    int32_t inQue = 0;   // bytes waiting to be read
    int32_t outQue = 0;  // bytes written but not yet sent
};

// Output flow control on the line. Hardware: RTS/CTS handshake, RTS held by
// the driver for input flow control. None: CTS is not watched and RTS is held
// raised (an MS100 draws its power from it).
enum class TLnFlowControl { Hardware, None };

// Result of a modem-line change.
enum class TLnLineResult {
    Ok,
    Unsupported,  // the device has no such line (a pseudo-terminal, a network connection)
    Failed,       // the device refused; see the code
};

class TLnPort {
public:
    using TEventHandler = std::function<void(uint32_t eventMask)>;

    virtual ~TLnPort() = default;

    // Opening and closing. Open returns false, with the reason in words, when
    // the device cannot be opened; the port is then closed.
    virtual bool Open(const std::string& deviceName, std::string& reason) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The platform's words for the last failure ("No such file or directory").
    virtual std::string ErrorText() const { return {}; }
    // False while an open port that reconnects by itself (a network
    // connection) is without its connection; it then stays open, takes no
    // writes, and raises kLnEvLinkState when the connection is lost or back.
    virtual bool Connected() const { return IsOpen(); }

    // Line settings. Each returns 0 on success or a nonzero platform error code.
    virtual int SetBufferSizes(int inBytes, int outBytes) { (void)inBytes; (void)outBytes; return 0; }
    virtual int SetTimeouts() { return 0; }
    // The flow control the next SetLineSettings applies.
    virtual void SetFlowControl(TLnFlowControl flow) { (void)flow; }
    // baud: 16457, 19200 or 57600; 8 data bits, no parity, one stop bit, and
    // the flow control chosen by SetFlowControl (Hardware unless told).
    virtual int SetLineSettings(int baud) = 0;
    virtual TLnLineResult SetDtr(bool on, int& code) = 0;

    // Byte I/O; both return -1 on failure.
    virtual int Read(uint8_t* buffer, int count) = 0;
    virtual int Write(const uint8_t* bytes, int count) = 0;

    // Clears the error state and reports the flags and the byte counts.
    virtual TLnPortStatus ClearError() = 0;
    virtual void PurgeInput() = 0;
    virtual void PurgeOutput() = 0;

    // The link's handler for port events; the port calls it on the thread
    // that runs the link (the user-interface thread), never from inside Read,
    // Write or Open.
    void SetEventHandler(TEventHandler handler) { handler_ = std::move(handler); }

protected:
    void RaiseEvent(uint32_t mask)
    {
        // A copy: the handler may close the link, and with it replace this port's handler.
        if (TEventHandler h = handler_)
            h(mask);
    }

private:
    TEventHandler handler_;
};

// Makes the port for a device name ("/dev/ttyUSB0", "COM3", "tcp:host:1234", "sim").
using TLnPortFactory = std::function<std::unique_ptr<TLnPort>(const std::string& deviceName)>;
