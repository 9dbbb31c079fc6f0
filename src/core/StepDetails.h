// Readers of the event description that fill a step's details and the
// records around it, and two small platform services they use.
#pragma once

#include "pal/pal.h"
#include "report/EventNode.h"
#include "report/RunScope.h"
#include "text/BstrString.h"

class CDescription;

// The word and the style class of a status on the step page: "Passed" /
// "PassedHigh", ... ; any value other than 0, 1, 3, 4 is Done.
CBstrString StatusDisplayWord(LONG status);
const WCHAR* StatusStyleClass(LONG status) noexcept;

// The bottom-pane viewer type of the node from the kept "ViewType" value:
// nothing when the node has one already; "HTML" for a value that is not text;
// "Sell.Explorer.2" -> "HTML", "VCF1.VCF1Ctrl.1" -> "Table",
// "MLFPHandler.MLFPHandler.1" -> "HTMLSNSH", any other text unchanged.
void DeriveViewerType(EventNode* node, const VARIANT* viewType);

// Appends the parameters of the description's "ArgumentsDispatch" object to
// the scope: the input ones (direction 0) when includeInput, the output ones
// (direction 1) when includeOutput, in the object's order.
void CollectParameters(CDescription& description, RunScope& scope, bool includeInput, bool includeOutput);

// The computer name (at most 15 characters); false and empty when it cannot
// be read.
bool GetComputerNameText(CBstrString& name);

// Sets the thread's error information: the GUID, the description and, each
// only when given, the help context, help file and source. E_INVALIDARG
// without a message; otherwise the first failing call's HRESULT, or S_OK.
HRESULT SetErrorInfoText(const WCHAR* message, REFGUID guid, DWORD helpContext, const WCHAR* helpFile,
                         const WCHAR* source);
