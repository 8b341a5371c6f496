// Placeholder until the combiner writer is built: never reports a success.
#include "combiner_template_resource.h"
#include "combiner_writer.h"

CombinerWriteResult WriteCombinerProgram(SplitHost&, const std::string&, const std::string&,
                                         int32_t, int64_t)
{
    return CombinerWriteResult::TemplateUnavailable;
}

bool LoadCombinerTemplateResource(std::vector<unsigned char>&)
{
    return false;
}
