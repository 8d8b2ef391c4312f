// Creating the common part of a driver instance from a declaration.
#include "storage/layer/driver_instance.h"

#include "runtime/error_codes.h"
#include "storage/layer/thread_files.h"

namespace linkar::storage {

using runtime::err::kInvalidRecordDeclaration;

int initInstance(DriverInstance& instance, const FileDecl& file)
{
    if (file.recordLength > kMaxRecordLength)
        return kInvalidRecordDeclaration;
    if (int rc = parseFieldList(file.fieldList, instance.m_fields); rc != 0)
        return rc;
    instance.m_name = declaredText(file.name, file.nameLength);
    instance.m_options = declaredText(file.options, file.optionsLength);
    instance.m_attributeText = declaredText(file.attributeText, file.attributeTextLength);
    instance.m_record = recordOf(file);
    instance.m_recordLength = file.recordLength;
    instance.m_attributeBits = file.attributeBits;
    return 0;
}

}  // namespace linkar::storage
