/* The guard around a call into the offer library, 64-bit Windows
   (offer/guarded_invoke.h):

     int vorlane_guarded_invoke(void* entry, int function, const wchar_t* argument,
                                int* answer)

   returns 1, with the library's answer in *answer, when the library
   returned; 0 when an exception raised inside it ended the call.

   64-bit Windows has one calling convention. Its exception frames are
   tables: the function's unwind information names __C_specific_handler with
   one scope, the call, and vorlane_guard_filter (offer/guarded_invoke.cpp)
   as its filter. For what the filter takes, the system unwinds the library's
   frames and goes on at .Lcaught, with the stack and %rbx as this frame has
   them. */

	.text
	.p2align 4
	.globl	vorlane_guarded_invoke
	.def	vorlane_guarded_invoke; .scl 2; .type 32; .endef
	.seh_proc	vorlane_guarded_invoke
vorlane_guarded_invoke:
	pushq	%rbx
	.seh_pushreg	%rbx
	subq	$32, %rsp			/* the callee's shadow space; %rsp stays 16-aligned */
	.seh_stackalloc	32
	.seh_endprologue
	movq	%r9, %rbx			/* answer, kept across the call */
	movq	%rcx, %rax			/* entry */
	movl	%edx, %ecx			/* function */
	movq	%r8, %rdx			/* argument */
.Lguarded:
	call	*%rax
	movl	%eax, (%rbx)			/* *answer */
	movl	$1, %eax
	nop
.Lguarded_end:
	addq	$32, %rsp
	popq	%rbx
	ret
.Lcaught:
	xorl	%eax, %eax
	addq	$32, %rsp
	popq	%rbx
	ret
	.seh_handler	__C_specific_handler, @except
	.seh_handlerdata
	.long	1				/* one scope */
	.rva	.Lguarded			/* from the call */
	.rva	.Lguarded_end			/* to the end of what follows it */
	.rva	vorlane_guard_filter		/* which exceptions end here */
	.rva	.Lcaught			/* where to go on */
	.text
	.seh_endproc
