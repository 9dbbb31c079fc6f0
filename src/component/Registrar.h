// The registrar: runs a registry script (see RegistryScript.h) against the
// registry, in register or unregister mode.
//
// Register: plain and NoRemove keys are created or opened; a ForceRemove key
// is deleted with its whole subtree and created anew; "Delete" deletes a
// subtree; key default values and "val" values are written. When registering
// fails part way, the same script is run in unregister mode and the failure
// is returned.
//
// Unregister: the same tree is walked; values and "Delete" entries are
// skipped; keys that do not exist are skipped with their bodies; NoRemove keys
// are entered but never deleted; other keys are processed children first and
// then deleted without their subtree, so a key that still holds keys the
// script did not create survives.
#pragma once

#include "component/RegistryScript.h"

class CRegistrar {
public:
    void AddReplacement(const WCHAR* name, const WCHAR* value) { m_replacements.Add(name, value); }

    // Runs a script text. Parse errors give DISP_E_EXCEPTION and change
    // nothing; registry errors while registering give their HRESULT.
    HRESULT StringRegister(const WCHAR* script) { return Run(script, true); }
    HRESULT StringUnregister(const WCHAR* script) { return Run(script, false); }

    // Runs the script held in a module resource (type "REGISTRY" for the
    // library's own scripts).
    HRESULT ResourceRegister(HMODULE module, UINT id, const WCHAR* type) { return RunResource(module, id, type, true); }
    HRESULT ResourceUnregister(HMODULE module, UINT id, const WCHAR* type)
    {
        return RunResource(module, id, type, false);
    }

    // The last parse error (empty when the last script parsed).
    const WideString& LastError() const { return m_error; }

private:
    HRESULT Run(const WCHAR* script, bool registering);
    HRESULT RunResource(HMODULE module, UINT id, const WCHAR* type, bool registering);

    CRegistryReplacements m_replacements;
    WideString m_error;
};
