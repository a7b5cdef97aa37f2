/* The guard around a call into the offer library, 32-bit Windows
   (offer/guarded_invoke.h):

     int vorlane_guarded_invoke(void* entry, int function, const wchar_t* argument,
                                int* answer)      (cdecl)

   returns 1, with the library's answer in *answer, when the library
   returned; 0 when an exception raised inside it ended the call.

   - The stack pointer is kept in %esi (callee-saved) across the call and put
     back from it afterwards: a __stdcall entry has taken its two arguments
     off the stack, a __cdecl one has left them there; either way the stack
     is as it was.
   - An exception registration record on the stack is linked into the
     thread's exception chain (%fs:0) for the call:
       0(record)  the previous record
       4(record)  vorlane_guard_handler
       8(record)  the guard's frame pointer
     Whatever is raised below it reaches the handler, which unwinds the
     library's frames (RtlUnwind), puts the stack and the frame pointer back
     at the record and goes on at .Lcaught, which unlinks the record. */

	.text
	.p2align 4
	.globl	_vorlane_guarded_invoke
	.def	_vorlane_guarded_invoke; .scl 2; .type 32; .endef
_vorlane_guarded_invoke:
	pushl	%ebp
	movl	%esp, %ebp
	pushl	%ebx
	pushl	%esi
	pushl	%edi
	pushl	%ebp				/* 8(record): the frame to go on in */
	pushl	$_vorlane_guard_handler		/* 4(record) */
	pushl	%fs:0				/* 0(record) */
	movl	%esp, %fs:0			/* linked: the record is the newest */
	movl	%esp, %esi			/* the stack before the call */
	pushl	16(%ebp)			/* argument */
	pushl	12(%ebp)			/* function */
	call	*8(%ebp)			/* entry */
	movl	%esi, %esp			/* as it was, whichever convention */
	movl	20(%ebp), %ecx
	movl	%eax, (%ecx)			/* *answer */
	movl	$1, %eax
.Lunlink:
	movl	(%esp), %ecx
	movl	%ecx, %fs:0			/* the previous record is the newest again */
	addl	$12, %esp
	popl	%edi
	popl	%esi
	popl	%ebx
	popl	%ebp
	ret
.Lcaught:					/* %esp at the record, %ebp the guard's frame */
	xorl	%eax, %eax
	jmp	.Lunlink

/* EXCEPTION_DISPOSITION vorlane_guard_handler(EXCEPTION_RECORD* record,
       void* registration, CONTEXT* context, void* dispatcher)     (cdecl)
   Called by the system for an exception raised below the record, first to
   search for a handler, later (flags EXCEPTION_UNWINDING 2,
   EXCEPTION_EXIT_UNWIND 4) while frames are unwound. */
	.p2align 4
	.def	_vorlane_guard_handler; .scl 3; .type 32; .endef
_vorlane_guard_handler:
	movl	4(%esp), %eax			/* the exception record */
	testl	$6, 4(%eax)			/* ExceptionFlags: being unwound? */
	jnz	.Lsearch_on
	movl	8(%esp), %ebx			/* the registration record */
	pushl	$0				/* ReturnValue */
	pushl	%eax				/* ExceptionRecord */
	pushl	$0				/* TargetIp, unused on x86 */
	pushl	%ebx				/* TargetFrame: every record below it */
	call	*__imp__RtlUnwind@16		/* stdcall: it takes its arguments */
	movl	%ebx, %esp			/* the stack at the record */
	movl	8(%esp), %ebp			/* the guard's frame */
	jmp	.Lcaught			/* never returns to the system */
.Lsearch_on:
	movl	$1, %eax			/* ExceptionContinueSearch */
	ret
