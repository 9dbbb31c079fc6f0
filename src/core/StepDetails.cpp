#include "core/StepDetails.h"

#include "core/Description.h"
#include "host/HostInterfaces.h"
#include "pal/interface_ptr.h"
#include "pal/variant_holder.h"
#include "text/ResourceStrings.h"

void DeriveViewerType(EventNode* node, const VARIANT* viewType)
{
    if (!node || !node->viewTypeText.IsEmpty())
        return;
    if (!viewType || V_VT(viewType) != VT_BSTR) {
        node->viewTypeText = W("HTML");
        return;
    }
    CBstrString text = CBstrString::FromBstr(V_BSTR(viewType));
    if (text == W("Sell.Explorer.2"))
        node->viewTypeText = W("HTML");
    else if (text == W("VCF1.VCF1Ctrl.1"))
        node->viewTypeText = W("Table");
    else if (text == W("MLFPHandler.MLFPHandler.1"))
        node->viewTypeText = W("HTMLSNSH");
    else
        node->viewTypeText = text;
}

namespace {

// The text of a parameter's value: "<Not Initialized>" for an empty value,
// "True"/"False" for a flag, else the value as text (empty when it does not
// convert).
CBstrString ParameterValueText(VARIANT* value)
{
    CVariantValue direct;
    if (FAILED(VariantCopyInd(direct.Get(), value)))
        return CBstrString();
    if (direct.Type() == VT_EMPTY)
        return LoadResourceString(IDS_NOT_INITIALIZED);
    USHORT flags = direct.Type() == VT_BOOL ? VARIANT_ALPHABOOL : 0;
    CVariantValue text;
    if (FAILED(VariantChangeType(text.Get(), direct.Get(), flags, VT_BSTR)) || text.Type() != VT_BSTR)
        return CBstrString();
    return CBstrString::FromBstr(V_BSTR(text.Get()));
}

} // namespace

void CollectParameters(CDescription& description, RunScope& scope, bool includeInput, bool includeOutput)
{
    if (!description.IsPresent() || !description.Has(keys::ArgumentsDispatch))
        return;
    CVariantValue value;
    description.ReadRaw(keys::ArgumentsDispatch, value.Get());
    CInterfacePtr<IKovParameters> parameters;
    if (FAILED(parameters.QueryFrom(ObjectOfValue(value.Get()), IID_IKovParameters)) || !parameters)
        return;

    // The host's results are not examined: a failed call leaves its output as
    // it was, and null objects are skipped.
    CInterfacePtr<IKovParameterCollection> collection;
    parameters->get_Parameters(collection.Out());
    if (!collection)
        return;
    LONG count = 0;
    collection->get_Count(&count);
    for (LONG index = 0; index < count; ++index) {
        CInterfacePtr<IKovParameter> item;
        collection->get_Item(index, item.Out());
        if (!item)
            continue;
        LONG direction = -1;
        item->get_Direction(&direction);
        if (!((includeInput && direction == 0) || (includeOutput && direction == 1)))
            continue;
        SummaryParam parameter;
        item->get_Name(parameter.name.Out());
        CVariantValue itemValue;
        item->get_Value(itemValue.Get());
        parameter.value = ParameterValueText(itemValue.Get());
        parameter.direction = direction;
        scope.parameters.push_back(std::move(parameter));
    }
}
