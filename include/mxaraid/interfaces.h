// The component's own COM interfaces and identifiers, as its type library describes them.
#pragma once

#include "platform/win.h"

namespace swkv {

inline constexpr IID LIBID_MXARAIDLib = {
    0x5A486531, 0x0201, 0x43E0, {0xBD, 0x81, 0xD5, 0x44, 0xBB, 0x08, 0xD0, 0xDC}};
inline constexpr CLSID CLSID_SwkvRAID = {
    0x2C21A4B6, 0xC51A, 0x4990, {0xB4, 0x40, 0xB0, 0x84, 0x15, 0x34, 0xF7, 0x3A}};
inline constexpr CLSID CLSID_EventLog = {
    0x2D070527, 0x5F3F, 0x4A0C, {0xB4, 0x26, 0x2E, 0x59, 0x8F, 0x6D, 0x47, 0x0D}};
inline constexpr CLSID CLSID_RAIDEvent = {
    0x1376FC15, 0xA0AA, 0x4120, {0x9F, 0x27, 0x11, 0x2A, 0x05, 0x63, 0xB4, 0x6B}};
inline constexpr IID IID_IRiver = {
    0xD57B64F7, 0x8728, 0x4717, {0xBD, 0x9C, 0xA0, 0x97, 0x19, 0xA0, 0x6B, 0xA0}};
inline constexpr IID IID_IEventLog = {
    0xE15DD35F, 0x55DC, 0x4EF1, {0xA4, 0x84, 0xF1, 0x74, 0x8D, 0x2A, 0xB5, 0x40}};
inline constexpr IID IID_IRAIDEvent = {
    0x5F3D5012, 0xF8A8, 0x402F, {0x97, 0xCF, 0x92, 0x7F, 0xE4, 0x9B, 0xA9, 0xED}};

// Notification codes passed to IRAIDEvent::RAIDNotification.
inline constexpr ULONG kNotifyChanged = 0x2002;
inline constexpr ULONG kNotifyDeleted = 0x2001;

}  // namespace swkv

// Every node of the tree: list, read, write, act, re-read, step down.
struct IRiver : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE dir(IUnknown** ppenum) = 0;
  virtual HRESULT STDMETHODCALLTYPE get(BSTR name, BSTR* pValue) = 0;
  virtual HRESULT STDMETHODCALLTYPE set(BSTR name, BSTR value, ULONG right) = 0;
  virtual HRESULT STDMETHODCALLTYPE invoke(BSTR name, BSTR arg) = 0;
  virtual HRESULT STDMETHODCALLTYPE refresh() = 0;
  virtual HRESULT STDMETHODCALLTYPE cd(BSTR name, IUnknown** ppriver) = 0;
};

// A controller's events, one text record at a time.
struct IEventLog : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetNewCount(ULONG* pNewCount) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReadEventLog(BSTR* pBuf, ULONG* pSize) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearLog() = 0;
};

// The agent's sink for a node's notifications.
struct IRAIDEvent : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE RAIDNotification(ULONG NotificationCode) = 0;
};
