// Readers of the event description that fill a step's details and the
// records around it: the bottom-pane viewer type, the page of a custom report
// object and the parameters of a test or action.
#pragma once

#include "pal/pal.h"
#include "report/EventNode.h"
#include "report/RunScope.h"
#include "text/BstrString.h"

class CDescription;

// The bottom-pane viewer type of the node from the kept "ViewType" value:
// nothing when the node has one already; "HTML" for a value that is not text;
// "Sell.Explorer.2" -> "HTML", "VCF1.VCF1Ctrl.1" -> "Table",
// "MLFPHandler.MLFPHandler.1" -> "HTMLSNSH", any other text unchanged.
void DeriveViewerType(EventNode* node, const VARIANT* viewType);

// The step page of a checkpoint or output step from its custom report object
// ("CustomObjUnk"): the node's display name marked as a checkpoint or output
// ("Action"), and the object's text, inside the details page unless
// "UseCRFormat" is 0, as the node's HTML text. viewType is the step's kept
// "ViewType" value, which the object is handed. Nothing without a
// description, a node, a view type or the object.
void ApplyCustomReportObject(CDescription& description, VARIANT* viewType, EventNode* node);

// Appends the parameters of the description's "ArgumentsDispatch" object to
// the scope: the input ones (direction 0) when includeInput, the output ones
// (direction 1) when includeOutput, in the object's order.
void CollectParameters(CDescription& description, RunScope& scope, bool includeInput, bool includeOutput);
