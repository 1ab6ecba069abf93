# The score model sits on the platform layer alone; what it asks of the layers
# above goes through the service tables they fill at start-up (core/ui,
# core/services).
ql_depends(core platform)
