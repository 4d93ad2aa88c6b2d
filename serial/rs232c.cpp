#include "serial/rs232c.h"

#include <exception>

#include "serial/comthd.h"

namespace vk47 {
namespace {

// Raises a handler through a copy, so a handler may reassign its own slot.
void Raise(const TNotifyEvent& event, void* sender) {
  if (!event) return;
  TNotifyEvent call = event;
  call(sender);
}

struct ParityRow {
  const char* text;
  int value;
};

// Compared byte for byte, case-sensitively: "Odd" or "NONE" match nothing.
constexpr ParityRow kParityTexts[] = {
    {"無し", 0},     {"なし", 0},
    {"奇数", 1},     {"きすう", 1},   {"ODD", 1},     {"odd", 1},     {"ＯＤＤ", 1},     {"ｏｄｄ", 1},
    {"偶数", 2},     {"ぐうすう", 2}, {"EVEN", 2},    {"even", 2},    {"ＥＶＥＮ", 2},   {"ｅｖｅｎ", 2},
    {"マーク", 3},   {"まーく", 3},   {"MARK", 3},    {"mark", 3},    {"ＭＡＲＫ", 3},   {"ｍａｒｋ", 3},
    {"スペース", 4}, {"すぺーす", 4}, {"SPACE", 4},   {"space", 4},   {"ＳＰＡＣＥ", 4}, {"ｓｐａｃｅ", 4},
};

}  // namespace

int ParityFromText(const std::string& text) {
  for (const ParityRow& row : kParityTexts) {
    if (text == row.text) return row.value;
  }
  return -1;
}

int StopBitsFromText(const std::string& text) {
  if (text == "1") return 0;
  if (text == "1.5") return 1;
  if (text == "2") return 2;
  return -1;
}

Trs232c::Trs232c(CommDeviceFactory factory)
    : factory_(factory ? std::move(factory) : CommDeviceFactory(MakePlatformCommDevice)) {
  // Handlers are assigned after construction, so this raises nothing unless a
  // derived class assigned one in its own initialisation.
  Raise(OnCreate, this);
}

Trs232c::~Trs232c() {
  try {
    close();
  } catch (...) {
    // An OnClose handler's error cannot leave a destructor.
  }
  // A thread closed from inside its own handler may still be unwinding that
  // handler if the component is destroyed there; it touches nothing of ours
  // any more, but its object must outlive the call, so it is left to the end.
  for (auto& thread : retired_) {
    if (thread->in_doevents_.load()) {
      (void)thread.release();
    } else {
      thread->WaitFor();
    }
  }
}

rsflowset Trs232c::flow() const { return rsflowset::frombits(static_cast<std::uint16_t>(flowflag & 0x7FFF)); }

void Trs232c::setflow(rsflowset value) { flowflag = value.bits(); }

CommError Trs232c::deviceerror() const {
  CommError error = device_ ? device_->LastError() : CommError{};
  if (!error) error.kind = CommErrorKind::kOther;
  if (error.device.empty()) error.device = portname;
  return error;
}

bool Trs232c::open() {
  if (opened_) return false;
  reapretired();
  lasterror_ = {};
  try {
    device_ = factory_();
    if (!device_) {
      lasterror_ = {CommErrorKind::kOther, 0, "no comm device", portname};
      return false;
    }
    if (!device_->Open(portname)) {
      lasterror_ = deviceerror();
      device_.reset();
      return false;
    }
  } catch (const std::exception& e) {
    // A failing port resolver or allocation: nothing was acquired.
    lasterror_ = {CommErrorKind::kOther, 0, e.what(), portname};
    device_.reset();
    return false;
  }

  if (!device_->SetupQueues(static_cast<std::uint32_t>(rxbuffsize), static_cast<std::uint32_t>(txbuffsize)))
    return failopen();

  device_->GetState(dcb_);
  dcb_.BaudRate = static_cast<std::uint32_t>(bps);
  if (int value = StopBitsFromText(stopbit); value >= 0) dcb_.StopBits = static_cast<std::uint8_t>(value);
  if (int value = ParityFromText(paritymode); value >= 0) dcb_.Parity = static_cast<std::uint8_t>(value);
  dcb_.ByteSize = static_cast<std::uint8_t>(charbit & 0xFF);
  dcb_.Flags = static_cast<std::uint32_t>(flowflag);
  if (XonLim != 0) dcb_.XonLim = static_cast<std::uint16_t>(XonLim & 0xFFFF);
  if (XoffLim != 0) dcb_.XoffLim = static_cast<std::uint16_t>(XoffLim & 0xFFFF);
  if (XonChar != 0) dcb_.XonChar = XonChar;
  if (XoffChar != 0) dcb_.XoffChar = XoffChar;
  if (ErrorChar != 0) dcb_.ErrorChar = ErrorChar;
  if (EofChar != 0) dcb_.EofChar = EofChar;
  if (EvtChar != 0) dcb_.EvtChar = EvtChar;
  if (!device_->SetState(dcb_)) return failopen();

  device_->GetTimeouts(timeouts_);
  timeouts_.ReadIntervalTimeout = static_cast<std::uint32_t>(readinterval);
  timeouts_.ReadTotalTimeoutMultiplier = 0;
  timeouts_.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(rxtimeout);
  timeouts_.WriteTotalTimeoutMultiplier = 0;
  timeouts_.WriteTotalTimeoutConstant = static_cast<std::uint32_t>(txtimeout);
  if (!device_->SetTimeouts(timeouts_)) return failopen();

  eventmask_ = 0;
  if (OnBREAK) eventmask_ |= kEvBreak;
  if (OnCTS) eventmask_ |= kEvCts;
  if (OnDSR) eventmask_ |= kEvDsr;
  if (OnERR) eventmask_ |= kEvErr;
  if (OnRING) eventmask_ |= kEvRing;
  if (OnRLSD) eventmask_ |= kEvRlsd;
  if (OnRXCHAR || OnPACKET) eventmask_ |= kEvRxChar;
  if (OnRXFLAG) eventmask_ |= kEvRxFlag;
  if (OnTXEMPTY) eventmask_ |= kEvTxEmpty;
  device_->SetEventMask(eventmask_);

  device_->Purge(kPurgeTxAbort | kPurgeRxAbort | kPurgeTxClear | kPurgeRxClear);

  usethread_ = eventmask_ != 0;
  if (usethread_) {
    thread_ = std::make_unique<tcommthread>(true);
    thread_->rxcount = 0;
    thread_->device = device_.get();
    thread_->owner = this;
  }
  // The send context of the platform lives inside the device backend.
  if (usethread_) thread_->Start();
  opened_ = true;
  Raise(OnOpen, this);
  return true;
}

// A configuration step failed: stop pending transfers and release the device,
// so that the port is not left taken by a component that counts as closed.
bool Trs232c::failopen() {
  lasterror_ = deviceerror();
  device_->Purge(kPurgeTxAbort | kPurgeRxAbort);
  device_->Close();
  device_.reset();
  return false;
}

void Trs232c::reapretired() {
  std::erase_if(retired_, [](const std::unique_ptr<tcommthread>& t) {
    if (t->in_doevents_.load()) return false;
    t->WaitFor();
    return true;
  });
}

void Trs232c::endthread() {
  thread_->Terminate();
  device_->SetEventMask(0);  // ends the pending wait at once
  if (thread_->in_doevents_.load()) {
    // close was called by one of the thread's own handlers: the worker is
    // waiting for that very call, so it is joined at a later open or close.
    retired_.push_back(std::move(thread_));
    return;
  }
  thread_->WaitFor();
  thread_.reset();
}

bool Trs232c::close() {
  if (!opened_) return false;
  device_->Purge(kPurgeTxAbort | kPurgeRxAbort);
  if (thread_) endthread();
  opened_ = false;
  // The device stays ours until it is released below, whatever OnClose does.
  std::unique_ptr<CommDevice> device = std::move(device_);
  std::exception_ptr handler_error;
  try {
    Raise(OnClose, this);
  } catch (...) {
    handler_error = std::current_exception();
  }
  device->Escape(kClrDtr);
  device->Escape(kClrRts);
  bool released = device->Close();
  device.reset();
  reapretired();
  if (handler_error) std::rethrow_exception(handler_error);
  return released;
}

bool Trs232c::write(const std::uint8_t* bytes, int count) {
  if (count < 0 || (count > 0 && bytes == nullptr)) {
    lasterror_ = {CommErrorKind::kOther, 0, "invalid byte count", portname};
    return false;
  }
  sendbuffer_.assign(bytes, bytes + count);
  if (!opened_) {
    lasterror_ = {CommErrorKind::kNotOpen, 0, "", portname};
    return false;
  }
  lasterror_ = {};
  const auto wanted = static_cast<std::uint32_t>(count);
  WriteResult result =
      device_->Write(sendbuffer_.data(), wanted, static_cast<std::uint32_t>(txtimeout), writewait);
  byteswritten_ = result.immediate_count;
  switch (result.outcome) {
    case WriteOutcome::kDoneAtOnce:
      return true;
    case WriteOutcome::kPendingThenDone:
      bytestransferred_ = result.transferred_count;
      if (bytestransferred_ == wanted) return true;
      lasterror_ = {CommErrorKind::kShortWrite, 0,
                    std::to_string(bytestransferred_) + " of " + std::to_string(wanted) + " bytes sent",
                    deviceerror().device};
      return false;
    case WriteOutcome::kTimedOut:
    case WriteOutcome::kStopped:
    case WriteOutcome::kFailed:
      lasterror_ = deviceerror();
      return false;
  }
  return false;
}

bool Trs232c::writebyte(std::uint8_t byte) { return write(&byte, 1); }

bool Trs232c::setrts(bool on) {
  if (!opened_) return false;
  return device_->Escape(on ? kSetRts : kClrRts);
}

bool Trs232c::setdtr(bool on) {
  if (!opened_) return false;
  return device_->Escape(on ? kSetDtr : kClrDtr);
}

}  // namespace vk47
