#pragma once

#include <windows.h>

#include <unknwn.h>

// A private interface every stand-in object answers, so that one stand-in can
// recognise another across DLLs: the table takes a Messages object and reads
// its folder, and the journal names objects passed as arguments.
namespace standin::com {

struct IStandinObject : public IUnknown {
  // "Messages#2".
  virtual HRESULT STDMETHODCALLTYPE GetJournalId(BSTR* id) = 0;
  // The folder directory of a Messages object; E_NOTIMPL for other objects.
  virtual HRESULT STDMETHODCALLTYPE GetFolderPath(BSTR* path) = 0;
};

}  // namespace standin::com

__CRT_UUID_DECL(standin::com::IStandinObject, 0x787b8c1f, 0x5515, 0x4477, 0x8d, 0x7e, 0xab, 0x48,
                0x1d, 0xaf, 0x99, 0x70)
